#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "diag/CMessageCap.h"
#include "diag/LoadReport.h"
#include "image/CTextureCache.h"
#include "math/CVector.h"
#include "models/CModelCache.h"
#include "models/CModelResources.h"
#include "objects/CGlyphCache.h"
#include "platform/CAssetSource.h"
#include "scene/CViewportScene.h"

class CFile;
class COGLLight;
class COGLObject;
class COGLPlane;
class COGLTexture2D;
class CSceneView;
class CSettingsStore;
class CShadowMatrix;
class CPakFile;

// Everything a viewer window shows: lights, objects, the scene's texture
// table, the textures models share, the open archives, the background and
// the planar-shadow settings. It owns all of them. Filled once by LoadScene
// (or a scene made for a model file) with no OpenGL needed; its textures are
// uploaded by UploadTextures, or when first drawn; drawn by the viewport
// every frame; animated by the redraw timer. Destroy it with the context
// current once anything of it has been drawn.
class COGLScene : public CViewportScene, public CModelResources {
public:
    static constexpr int MAX_SHADOW_LIGHTS = 8;
    static constexpr int MAX_SHADOW_PLANES = 4;

    // The planar shadows: which lights cast onto which planes, and how dark.
    // Slots keep the numbers the file gave them, so any of them may be empty.
    struct ShadowSetup {
        bool        enabled = false;
        COGLLight*  lights[MAX_SHADOW_LIGHTS] = {};
        int         lightCount = 0;
        COGLObject* planes[MAX_SHADOW_PLANES] = {};
        int         planeCount = 0;
        bool        blend = false;
        float       alpha = 1.0f;
    };

    COGLScene();
    // Lights, objects, every texture whatever its count, the background and
    // the archives, in that order.
    ~COGLScene() override;
    COGLScene(const COGLScene&) = delete;
    COGLScene& operator=(const COGLScene&) = delete;

    // Gives the light the next of the eight light units; past the eighth it
    // reports there are no more and the light stays dark.
    void AddLight(std::unique_ptr<COGLLight> light);
    void AddObject(std::unique_ptr<COGLObject> object);
    void AddTexture(std::unique_ptr<COGLTexture2D> texture);

    // Reads everything after the version field; the camera and field of view
    // go to the view. False when a file the scene names could not be found
    // (reported). Throws CFileException when the file ends early.
    bool LoadScene(CFile& file, CSceneView& view, int version);
    // The asset source of a load: every file the scene names is found and
    // read through it, files not found by their names are looked for in
    // folder. EndLoad keeps the lookups and closes the archives' streams.
    void BeginLoad(const std::string& folder);
    // Also reports what the cap held back.
    void EndLoad();
    // "The following files could not be loaded:" and the first twenty names.
    void ReportMissingFiles(const std::vector<std::string>& missing);
    // Adds an error about file to the load report, whatever the cap.
    void AddToReport(std::string text, std::string file);
    // What the loads so far had to tell the user, in order; the programs
    // take it and tell it.
    const LoadReport& GetLoadReport() const { return loadReport; }
    LoadReport        TakeLoadReport();
    // Makes the OpenGL textures of every picture decoded so far; context current.
    void UploadTextures();

    // Lights, then objects farthest first, then shadows when enabled and
    // drawFlags allows them (0x40 or 0x80).
    void Render(CGLState& gl, int drawFlags, const CVector& eye, const CVector& right) override;
    void ApplyAmbient() override;
    bool HasBackgroundImage() const override { return hasBackground; }
    bool DrawBackground(CGLState& gl, int width, int height) override;
    void DrawForSelection() override;
    // Animate on every animating object; true when any moved.
    bool AnimateAll();
    // Hides the visible markers of the first 32 lights; bit i set for light i.
    uint32_t HideLightMarkers();
    void StartAnimations();
    // The table's texture, its picture decoded now; none when it fails.
    void SetTextureFromTable(COGLObject& object, int index);
    void ApplyTextureFilter(const COGLTexture2D& texture) const;
    // The shadows as the load left them, or as a scene made in code sets
    // them; the lights and planes must be the scene's own.
    const ShadowSetup& Shadows() const { return shadows; }
    void SetShadows(const ShadowSetup& setup) { shadows = setup; }

    // Index of the archive opened from exactly this path, opening and
    // appending it when needed; -1 when it is not an archive (reported).
    int       FindOrOpenPak(const std::string& path);
    CPakFile* GetPak(int index) const override;
    int       IndexOfPak(const CPakFile* pak) const override;

    CAssetSource*  Assets() override { return assets.get(); }
    CModelCache&   Models() override { return modelCache; }
    void           Report(const LoadMessages& messages, const std::string& file) override;
    COGLTexture2D* FindOrLoadTexture(const std::string& name, CPakFile* pak, const std::string& folder,
                                     bool useDefaultPalette, bool searchAllPaks) override;
    bool           PrepareTexture(COGLTexture2D* texture) override;
    COGLTexture2D* ShareTexture(const AssetId& holder, int32_t part,
                                std::shared_ptr<const COGLImage> picture, const std::string& title) override;
    HLWorkAreas&     HLWork() override;
    size_t           LightCount() const override { return lights.size(); }
    const COGLLight& Light(size_t index) const override { return *lights[index]; }
    bool      VisibleWeaponsEnabled() const override { return vwepEnabled; }
    CPakFile* CtfArchive() const override { return ctfPak; }

    float backgroundColour[3] = { 0.0f, 0.0f, 0.0f };
    float lightMarkerColour[3] = { 1.0f, 1.0f, 0.5f };
    float objectColour[3] = { 1.0f, 0.0f, 1.0f };
    float ambient[4] = { 0.2f, 0.2f, 0.2f, 1.0f };
    std::vector<std::unique_ptr<COGLLight>>     lights;
    std::vector<std::unique_ptr<COGLObject>>    objects;
    std::vector<std::unique_ptr<COGLTexture2D>> textures;
    CTextureCache textureCache;
    CModelCache   modelCache;
    // The texts' fonts, outlines and glyph lists.
    CGlyphCache   glyphCache;
    std::vector<std::unique_ptr<CPakFile>> paks;  // null slots only while loading
    int   textureFilter = 2;
    std::unique_ptr<COGLTexture2D> background;
    bool  hasBackground = false;
    CPakFile* vwepPak = nullptr;
    CPakFile* ctfPak = nullptr;
    bool  vwepEnabled = false;
    // Where the "VWep" settings are read; the application's when null.
    const CSettingsStore* settings = nullptr;
    // Off for a scene made to write records rather than to show them (the
    // composer): pictures are found and described, never decoded.
    bool  decodesPictures = true;

    // What the last load read from its header and which files it looked
    // for, for the command-line tool.
    int   fileVersion = 0;
    bool  usesVWep = false;
    std::vector<FileLookup> fileLookups;

private:
    struct FileHeader;

    void DrawShadows(CGLState& gl);
    // Stencil 1 where the plane shows; shadows drawn next go only there.
    void MarkShadowPlane(CGLState& gl, uint32_t shade, COGLPlane& plane);
    void DrawShadowCasters(CGLState& gl, const CShadowMatrix& shadow);

    FileHeader ReadFileHeader(CFile& file);
    void PrepareVisibleWeapons();
    void ReadArchives(CFile& file, int32_t count);
    void ReadBackground(CFile& file);
    std::unique_ptr<COGLTexture2D> ReadTextureRecord(CFile& file);
    void ReadTextureTable(CFile& file, int32_t count);
    void ReadLights(CFile& file, int32_t count, int version);
    void ReadObjects(CFile& file, int32_t count, int version);
    void ResolveShadowSlots(const FileHeader& header);
    // Adds the entry to the load report unless the cap holds it back.
    void AddCapped(LoadReportEntry entry);
    COGLTexture2D* FindOrAddTexture(const std::string& name, CPakFile* pak, const std::string& folder,
                                    bool useDefaultPalette, bool searchAllPaks);
    void CompactPaks();

    ShadowSetup shadows;
    std::unique_ptr<CAssetSource> assets;
    // FindOrLoadTexture's answers during a load, by question.
    std::unordered_map<std::string, COGLTexture2D*> textureAnswers;
    // FindOrOpenPak's answers during a load, by path; -1 for a failure.
    std::unordered_map<std::string, int> pakAnswers;
    CMessageCap messageCap;
    LoadReport  loadReport;
    std::unique_ptr<HLWorkAreas>  hlWork;   // made when first asked for
    CVector cameraRight;                    // of the view last rendered
};
