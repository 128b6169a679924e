#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class CFile;
class CGLState;
class COGLObject;
class CRecordReader;
class CRecordWriter;

// Size of a point-light record; a spot light's continues past it.
constexpr size_t LIGHT_RECORD_SIZE = 172;

// One of the eight OpenGL lights of a scene. The scene holding the light
// gives it its unit (GL_LIGHT0 + the unit number) for its whole life, and
// disables it when the light is destroyed. It owns a marker object that holds
// its position (and a spot light's orientation) and that is drawn and picked
// in its place.
//
// A light given no unit (HasUnit is false: a scene's ninth light and after)
// never enables, sets or disables any unit.
class COGLLight {
public:
    static constexpr int UNIT_COUNT = 8;

    virtual ~COGLLight();
    COGLLight(const COGLLight&) = delete;
    COGLLight& operator=(const COGLLight&) = delete;

    virtual const char* ClassName() const = 0;
    // Sets up the light's unit for this frame, positions in the coordinates of
    // the current modelview matrix, and draws the marker.
    virtual void Apply(CGLState& gl) = 0;
    // The marker's wire form in the current colour, unlit; nothing when the
    // marker is hidden.
    void DrawMarker(CGLState& gl);
    void DrawSelected(CGLState& gl);
    // The light is picked through its marker's selection name.
    void DrawForSelection();
    void Save(CFile& file) const;
    // Reads the whole record before changing anything; throws CFileException
    // when the file ends first. The version is not consulted.
    void Load(CFile& file, int version);
    // Colours, position and w; the name becomes "Copy of " and the source's.
    void CopyFrom(const COGLLight& source);

    // 0 to UNIT_COUNT - 1; the scene gives each light its own.
    void SetUnit(int unit) { slot = unit; }
    bool HasUnit() const { return slot >= 0; }
    // GL_LIGHT0 + slot; meaningless without a unit.
    uint32_t Unit() const;
    COGLObject&       Marker() { return *marker; }
    const COGLObject& Marker() const { return *marker; }

    float       ambient[4] = { 0.0f, 0.0f, 0.0f, 1.0f };
    float       diffuse[4] = { 1.0f, 1.0f, 1.0f, 1.0f };
    float       specular[4] = { 1.0f, 1.0f, 1.0f, 1.0f };
    // Fourth component of GL_POSITION: 1 positional, 0 directional.
    float       w = 1.0f;
    int32_t     enabled = 1;
    std::string name;

protected:
    COGLLight() = default;
    // The marker gets the look all light markers share.
    void SetMarker(std::unique_ptr<COGLObject> newMarker);
    // Enables the unit and sets colours and position.
    void SetUpUnit() const;

    virtual size_t RecordSize() const { return LIGHT_RECORD_SIZE; }
    virtual void   WriteTail(CRecordWriter& /*out*/) const {}
    virtual void   ReadTail(CRecordReader& /*in*/) {}

    int32_t slot = -1;

private:
    std::unique_ptr<COGLObject> marker;
};
