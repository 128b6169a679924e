#pragma once

#include <cstdint>
#include <string>

#include "math/CQuaternion.h"
#include "math/CVector.h"

class CFile;
class CGLState;
class COGLTexture2D;
class CRecordReader;
class CRecordWriter;
struct SharedLists;

// Flags for Draw.
enum {
    DRAW_MATERIAL = 0x1,      // apply material and texture
    DRAW_WIRE     = 0x20,     // the wire list instead of the solid list
    DRAW_AXES     = 0x1000,   // axis ticks after the geometry
};

// Size of the record prefix every object record in a scene file starts with.
constexpr size_t OBJECT_RECORD_SIZE = 271;
constexpr size_t RECORD_NAME_SIZE = 100;

// Base of everything a scene draws. Holds the material, placement, orientation,
// scale, texture with its texture-space transform, visibility and the display
// lists a subclass fills; defines how the scene draws, picks, highlights,
// animates, saves and loads its objects. All drawing needs the OpenGL context
// current and states what it needs through the pass's CGLState, starting
// from its baseline. The texture is not owned: the scene owns textures.
class COGLObject {
public:
    COGLObject();
    virtual ~COGLObject();
    COGLObject(const COGLObject&) = delete;
    COGLObject& operator=(const COGLObject&) = delete;

    // The class's own name, for messages and the command-line tool.
    virtual const char* ClassName() const { return "COGLObject"; }

    virtual void Draw(CGLState& gl, int flags);
    // The solid form in place, visible or not, in the caller's state and
    // colour: what a stencil is marked with.
    void DrawShape(CGLState& gl);
    // The solid form where the class builds it, unplaced, in the caller's
    // state, matrices and texture coordinate generation: what an export
    // captures. Makes the lists first when still to be made.
    virtual void DrawSolid();
    // Draws the selection list under the object's GL selection name; nothing
    // for a hidden object.
    virtual void DrawForSelection();
    // The highlight of the selected object: a white box outline and axis ticks.
    virtual void DrawSelected(CGLState& gl);
    // Axis ticks past the extents; called inside the object's transform.
    virtual void DrawAxes();
    virtual void Animate() {}
    // Writes the record prefix; textureIndex is the texture's place in the
    // scene's texture list, or -1.
    virtual void Save(CFile& file, int textureIndex) const;
    // Reads the record prefix and returns the texture index stored in it,
    // which the caller resolves. Throws CFileException when the file ends
    // first, before anything of the object has changed.
    virtual int  Load(CFile& file, int version);
    virtual void CopyFrom(const COGLObject& source);
    virtual void SetAmbient(float r, float g, float b, float a);
    virtual void SetAmbientAlpha(float a);
    virtual void SetDiffuse(float r, float g, float b, float a);
    virtual void SetDiffuseAlpha(float a);
    virtual void SetSpecular(float r, float g, float b, float a);
    virtual void SetSpecularAlpha(float a);
    virtual void SetEmission(float r, float g, float b, float a);
    virtual void SetEmissionAlpha(float a);
    virtual void SetShininess(float s);
    // Show and Hide keep the visibility and bit 31 of the selection name in step.
    virtual void SetVisible(bool visible);
    virtual void Show();
    virtual void Hide();
    bool IsVisible() const { return visible; }
    // The GL selection name the object picks under; bit 31 set when hidden.
    uint32_t SelectionName() const { return selectionName; }
    virtual void SetTransparent(bool transparent);
    virtual void StartAnimation();
    // Turns the object by degrees about axis, after its current orientation.
    virtual void Rotate(const CVector& axis, float degrees);
    virtual void RotateX(float degrees);
    virtual void RotateY(float degrees);
    virtual void RotateZ(float degrees);
    virtual void GetScale(float& x, float& y, float& z) const;
    virtual void SetScale(float x, float y, float z);
    virtual void SetScaleX(float x);
    virtual void SetScaleY(float y);
    virtual void SetScaleZ(float z);
    virtual void Move(float dx, float dy, float dz);
    virtual void SetPosition(float x, float y, float z);
    virtual void SetPositionX(float x);
    virtual void SetPositionY(float y);
    virtual void SetPositionZ(float z);
    // A texture whose picture was not decoded leaves the object without one.
    virtual void SetTexture(COGLTexture2D* texture);
    COGLTexture2D* Texture() const { return texture; }
    virtual void SetTextureMode(int mode);
    // Multiplies the modelview matrix by the orientation.
    virtual void ApplyRotation();
    // The pass's baseline with lighting and smoothing off and colours taken
    // from glColor: highlights and light markers.
    static uint32_t UnlitLineBits(uint32_t baseline);
    // The texture matrix pushed and set to translate, the object's texture
    // rotation, then scale; PopTextureTransform restores it.
    void PushTextureTransform(const CVector& translate, const CVector& scale) const;
    static void PopTextureTransform();
    // Planes that make texture coordinates from the object-space x and y,
    // for meshes that carry none; GLS_TEXGEN_ST turns them on.
    static void SetObjectLinearTexGen();

    // Bit 31 of the selection name marks a hidden object.
    static constexpr uint32_t HIDDEN_BIT = 0x80000000u;

    uint32_t selectionList = 0;
    uint32_t solidList = 0;
    uint32_t wireList = 0;
    float    ambient[4] = { 0.2f, 0.2f, 0.2f, 1.0f };
    float    diffuse[4] = { 0.8f, 0.8f, 0.8f, 1.0f };
    float    specular[4] = { 0.0f, 0.0f, 0.0f, 1.0f };
    float    emission[4] = { 0.0f, 0.0f, 0.0f, 1.0f };
    float    shininess = 0.0f;
    CVector  scale { 1.0f, 1.0f, 1.0f };
    CVector  position { 0.0f, 0.0f, 0.0f };
    // Half-sizes of the unscaled shape, for the highlight and the axis ticks.
    CVector  extents { 1.0f, 1.0f, 1.0f };
    std::string name;
    bool     transparent = false;
    bool     animating = false;
    // 2 is wire-frame; only outline text reads it.
    int32_t  renderMode = 0;
    // The scene-file type code; not part of the record.
    int32_t  typeCode = 0;
    CQuaternion orientation;
    // Flag bits kept through save and copy; bit 0 marks a light's marker.
    int32_t  reservedA = 0;
    CVector  textureRotation { 0.0f, 0.0f, 0.0f };
    CVector  textureScale { 1.0f, 1.0f, 1.0f };
    CVector  textureTranslation { 0.0f, 0.0f, 0.0f };
    int32_t  textureMode = 0x2100;  // GL_MODULATE
    int32_t  reservedB = 1;

    // Picks by the wire list instead of the solid one (a light's marker).
    bool     picksByWire = false;

protected:
    // Set only through SetTexture, which a subclass may override.
    COGLTexture2D* texture = nullptr;

    // Makes the display lists the object draws with when they are still to
    // be made; every draw calls it first, so that objects are made and
    // loaded without an OpenGL context. Needs the context current.
    virtual void PrepareLists() {}
    // Draws and picks with the class's solid list, and its wire list for DRAW_WIRE.
    void UseLists(const SharedLists& lists);
    // Draw and DrawForSelection with the object placed zOffset further along
    // its own z axis (after rotation, before scaling).
    void DrawPlaced(CGLState& gl, int flags, float zOffset);
    void DrawForSelectionPlaced(float zOffset);
    // Translate, rotate, then scale.
    void PlaceObject(float zOffset);
    // The white unlit lines of a highlight, around the caller's placing.
    static void BeginHighlight(CGLState& gl);
    static void EndHighlight();
    // The twelve edges of the box from low to high, in the current colour.
    static void DrawBoxOutline(const CVector& low, const CVector& high);
    // The geometry inside the object's transform, in state bits: the list as
    // it is, or with the object's material and texture when flags carry
    // DRAW_MATERIAL.
    virtual void DrawGeometry(CGLState& gl, uint32_t bits, uint32_t list, int flags);
    void ApplyMaterial() const;
    // The pass's baseline, blending over what is drawn without depth writes
    // when the object is transparent.
    uint32_t DrawBits(const CGLState& gl) const;
    // Binds the texture (uploading it when still to do) and sets envMode.
    void BindTexture(CGLState& gl, int envMode) const;
    // Calls list in bits with texturing, the texture bound, applied in
    // envMode, and the texture matrix set up.
    void CallListTextured(CGLState& gl, uint32_t bits, uint32_t list, int envMode) const;
    // The record prefix, for subclasses whose records carry a tail: they
    // read their whole record before taking any of it apart.
    void WritePrefix(CRecordWriter& out, int textureIndex) const;
    int  ReadPrefix(CRecordReader& in);

private:
    uint32_t selectionName;
    bool     visible = true;

    // Process-wide, never reset: every object made or copied takes the next.
    static uint32_t nextSelectionName;
};
