#include "scene/COGLScene.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "diag/CDiagnostics.h"
#include "image/COGLTexture2D.h"
#include "math/CShadowMatrix.h"
#include "objects/COGLLight.h"
#include "objects/COGLObject.h"
#include "objects/COGLPlane.h"
#include "image/COGLImage.h"
#include "models/HLWorkAreas.h"
#include "platform/CGLState.h"
#include "platform/CSettingsStore.h"
#include "platform/CPakFile.h"
#include "platform/StringTable.h"
#include "platform/WindowsPath.h"

namespace {

constexpr int MSG_NO_MORE_LIGHTS = 108;
constexpr int MSG_NOT_AN_ARCHIVE = 113;

}  // namespace

COGLScene::COGLScene() = default;

COGLScene::~COGLScene() {
    shadows.enabled = false;
    lights.clear();
    objects.clear();
    textures.clear();
    textureCache.Clear();
    background.reset();
    assets.reset();
    paks.clear();
}

void COGLScene::BeginLoad(const std::string& folder) {
    const CSettingsStore& store = settings != nullptr ? *settings : AppSettings();
    assets = std::make_unique<CAssetSource>(folder, store);
}

void COGLScene::EndLoad() {
    if (assets) {
        fileLookups = assets->TakeLookups();
    }
    assets.reset();
    textureAnswers.clear();
    pakAnswers.clear();
    for (CMessageCap::Summary& summary : messageCap.TakeSummaries()) {
        loadReport.push_back({ 0, std::move(summary.text), {}, summary.boxOnly });
    }
    // Read through for the load, the archives need no open file after it.
    for (const std::unique_ptr<CPakFile>& pak : paks) {
        if (pak) {
            pak->CloseIdle();
        }
    }
}

void COGLScene::UploadTextures() {
    textureCache.UploadAll();
    for (const std::unique_ptr<COGLTexture2D>& texture : textures) {
        texture->Upload();
    }
    if (background && background->Upload()) {
        ApplyTextureFilter(*background);
    }
}

void COGLScene::Report(const LoadMessages& messages, const std::string& file) {
    for (const LoadMessage& message : messages) {
        AddCapped({ message.number, message.Text(), file });
    }
}

void COGLScene::AddCapped(LoadReportEntry entry) {
    if (messageCap.Admit(entry.text, entry.boxOnly)) {
        loadReport.push_back(std::move(entry));
    }
}

void COGLScene::AddToReport(std::string text, std::string file) {
    loadReport.push_back({ 0, std::move(text), std::move(file) });
}

LoadReport COGLScene::TakeLoadReport() {
    LoadReport taken;
    taken.swap(loadReport);
    return taken;
}

void COGLScene::AddLight(std::unique_ptr<COGLLight> light) {
    if (lights.size() < static_cast<size_t>(COGLLight::UNIT_COUNT)) {
        light->SetUnit(static_cast<int>(lights.size()));
    } else {
        AddCapped({ MSG_NO_MORE_LIGHTS, GetStringResource(MSG_NO_MORE_LIGHTS), {}, true });
    }
    lights.push_back(std::move(light));
}

void COGLScene::AddObject(std::unique_ptr<COGLObject> object) {
    objects.push_back(std::move(object));
}

void COGLScene::AddTexture(std::unique_ptr<COGLTexture2D> texture) {
    textures.push_back(std::move(texture));
}

HLWorkAreas& COGLScene::HLWork() {
    if (!hlWork) {
        hlWork = std::make_unique<HLWorkAreas>();
    }
    // In the Half-Life models' own axis order.
    hlWork->cameraRight[0] = cameraRight.z;
    hlWork->cameraRight[1] = cameraRight.x;
    hlWork->cameraRight[2] = cameraRight.y;
    return *hlWork;
}

void COGLScene::Render(CGLState& gl, int drawFlags, const CVector& eye, const CVector& right) {
    cameraRight = right;
    glColor3fv(lightMarkerColour);
    for (const std::unique_ptr<COGLLight>& light : lights) {
        light->Apply(gl);
    }

    struct Placed {
        COGLObject* object;
        float       distance;
    };
    std::vector<Placed> order;
    order.reserve(objects.size());
    for (const std::unique_ptr<COGLObject>& object : objects) {
        const CVector offset = object->position - eye;
        order.push_back({ object.get(), offset.Length() });
    }
    // Farthest first, so transparent objects blend over what lies behind;
    // the editor's exchange sort, so that ties come out in its order.
    for (size_t i = 0; i + 1 < order.size(); i++) {
        for (size_t j = i; j < order.size(); j++) {
            if (order[i].distance < order[j].distance) {
                std::swap(order[i], order[j]);
            }
        }
    }

    glColor3fv(objectColour);
    for (const Placed& placed : order) {
        placed.object->Draw(gl, drawFlags);
    }
    if (shadows.enabled && (drawFlags & (0x40 | 0x80)) != 0) {
        DrawShadows(gl);
    }
    glFlush();
}

void COGLScene::DrawShadows(CGLState& gl) {
    // With a stencil buffer each plane pixel is darkened once per light,
    // however many faces cover it; without one, every face blends again.
    const bool stencil = gl.StencilBits() > 0;
    const uint32_t frame = gl.Baseline();
    uint32_t shade = frame & ~(GLS_AUTO_NORMAL | GLS_NORMALIZE | GLS_LINE_SMOOTH);
    if (shadows.blend) {
        shade = (shade | GLS_LIGHTING | GLS_BLEND) & ~(GLS_BLEND_ADD | GLS_DEPTH_WRITE);
        const float colour[4] = { 0.0f, 0.0f, 0.0f, shadows.alpha };
        glMaterialf(GL_FRONT, GL_SHININESS, 0.0f);
        glMaterialfv(GL_FRONT, GL_EMISSION, colour);
        glMaterialfv(GL_FRONT, GL_AMBIENT, colour);
        glMaterialfv(GL_FRONT, GL_DIFFUSE, colour);
        glMaterialfv(GL_FRONT, GL_SPECULAR, colour);
    } else {
        shade &= ~GLS_LIGHTING;
        glColor3f(0.0f, 0.0f, 0.0f);
    }
    // Only marked pixels take the shadow, and each takes it once; being
    // clipped to the plane's own pixels, it needs no depth test to stay on it.
    const uint32_t casting = stencil ? (shade | GLS_STENCIL_TEST) & ~GLS_DEPTH_TEST : shade;
    // The slots keep the numbers the file gave them, so an editor's removed
    // shadow light or plane leaves an empty slot anywhere.
    for (COGLObject* receiver : shadows.planes) {
        auto* plane = dynamic_cast<COGLPlane*>(receiver);
        if (plane == nullptr) {
            continue;  // only planes have an equation to project onto
        }
        float equation[4];
        plane->GetPlaneEquation(equation);
        for (const COGLLight* caster : shadows.lights) {
            if (caster == nullptr) {
                continue;
            }
            const COGLObject& marker = caster->Marker();
            const float light[4] = { marker.position.x, marker.position.y, marker.position.z, caster->w };
            if (stencil) {
                MarkShadowPlane(gl, shade, *plane);
            }
            // Casters draw in the shadow's state, a transparent one without depth writes.
            gl.SetBaseline(casting);
            DrawShadowCasters(gl, CShadowMatrix(light, equation));
            gl.SetBaseline(frame);
        }
    }
}

void COGLScene::MarkShadowPlane(CGLState& gl, uint32_t shade, COGLPlane& plane) {
    glClearStencil(0);
    glStencilMask(0xFF);
    glClear(GL_STENCIL_BUFFER_BIT);
    glStencilFunc(GL_ALWAYS, 1, 0xFF);
    glStencilOp(GL_KEEP, GL_KEEP, GL_REPLACE);
    gl.Apply((shade | GLS_STENCIL_TEST | GLS_DEPTH_TEST) & ~(GLS_COLOR_WRITE | GLS_DEPTH_WRITE));
    // The same geometry as drawn a moment ago passes where the plane shows.
    // An invisible plane still takes shadows, as it always did.
    plane.DrawShape(gl);
    glStencilFunc(GL_EQUAL, 1, 0xFF);
    glStencilOp(GL_KEEP, GL_KEEP, GL_ZERO);
}

void COGLScene::DrawShadowCasters(CGLState& gl, const CShadowMatrix& shadow) {
    for (const std::unique_ptr<COGLObject>& object : objects) {
        if (dynamic_cast<COGLPlane*>(object.get()) != nullptr) {
            continue;
        }
        glPushMatrix();
        glMultMatrixf(shadow.s);
        object->Draw(gl, 0);
        glPopMatrix();
    }
}

void COGLScene::ApplyAmbient() {
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
}

bool COGLScene::DrawBackground(CGLState& gl, int width, int height) {
    CheckGLState("Before Render BG Image");
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, width, 0.0, height, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    // The picture as it is, over the whole viewport: unlit, untested, flat.
    gl.Apply(GLS_TEXTURE_2D | GLS_SHADE_FLAT | GLS_DEPTH_WRITE | GLS_COLOR_WRITE);
    gl.BindTexture(background ? background->UploadedName() : 0);
    gl.TextureEnvMode(GL_DECAL);
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    glBegin(GL_QUADS);
    glNormal3f(0.0f, 0.0f, 1.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(w, h);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(0.0f, h);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(0.0f, 0.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(w, 0.0f);
    glEnd();

    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    return CheckGLState("After Render BG Image");
}

void COGLScene::DrawForSelection() {
    for (const std::unique_ptr<COGLLight>& light : lights) {
        light->DrawForSelection();
    }
    for (const std::unique_ptr<COGLObject>& object : objects) {
        object->DrawForSelection();
    }
}

bool COGLScene::AnimateAll() {
    bool animated = false;
    for (const std::unique_ptr<COGLObject>& object : objects) {
        if (object->animating) {
            object->Animate();
            animated = true;
        }
    }
    return animated;
}

uint32_t COGLScene::HideLightMarkers() {
    uint32_t hidden = 0;
    const size_t count = std::min<size_t>(lights.size(), 32);
    for (size_t i = 0; i < count; i++) {
        COGLObject& marker = lights[i]->Marker();
        if (marker.IsVisible()) {
            marker.Hide();
            hidden |= 1u << i;
        }
    }
    return hidden;
}

void COGLScene::StartAnimations() {
    for (const std::unique_ptr<COGLObject>& object : objects) {
        object->StartAnimation();
    }
}

void COGLScene::SetTextureFromTable(COGLObject& object, int index) {
    if (index >= 0 && static_cast<size_t>(index) < textures.size()) {
        COGLTexture2D* texture = textures[static_cast<size_t>(index)].get();
        object.SetTexture(PrepareTexture(texture) ? texture : nullptr);
    }
}

void COGLScene::ApplyTextureFilter(const COGLTexture2D& texture) const {
    ::ApplyTextureFilter(texture.textureName, textureFilter);
}

int COGLScene::FindOrOpenPak(const std::string& path) {
    // A scene may name one path thousands of times: each is opened, and each
    // failure told, once per load.
    const auto answer = pakAnswers.find(path);
    if (answer != pakAnswers.end()) {
        return answer->second;
    }
    int index = -1;
    for (size_t i = 0; i < paks.size(); i++) {
        if (paks[i] && paks[i]->GetPath() == path) {
            index = static_cast<int>(i);
        }
    }
    if (index < 0) {
        auto pak = std::make_unique<CPakFile>();
        if (pak->Open(path)) {
            paks.push_back(std::move(pak));
            index = static_cast<int>(paks.size() - 1);
        } else if (pak->GetFailure() == CPakFile::Failure::notAnArchive) {
            AddCapped({ 0, path + ": " + GetStringResource(MSG_NOT_AN_ARCHIVE) + "\r\n", path });
        } else if (pak->GetFailure() == CPakFile::Failure::outOfMemory) {
            loadReport.push_back({ 0, "Out of memory", path, false, true });
        }
    }
    if (assets) {
        pakAnswers[path] = index;
    }
    return index;
}

CPakFile* COGLScene::GetPak(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= paks.size()) {
        return nullptr;
    }
    return paks[static_cast<size_t>(index)].get();
}

int COGLScene::IndexOfPak(const CPakFile* pak) const {
    for (size_t i = 0; i < paks.size(); i++) {
        if (paks[i].get() == pak) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

COGLTexture2D* COGLScene::FindOrLoadTexture(const std::string& name, CPakFile* pak, const std::string& folder,
                                            bool useDefaultPalette, bool searchAllPaks) {
    if (!assets) {
        return nullptr;
    }
    // Every copy of a model asks for the same skins: the answer is kept.
    std::string question = name;
    question.append(1, '\0').append(folder).append(1, '\0');
    question.append(std::to_string(reinterpret_cast<uintptr_t>(pak))).append(useDefaultPalette ? "d" : "").append(searchAllPaks ? "a" : "");
    const auto answered = textureAnswers.find(question);
    if (answered != textureAnswers.end()) {
        return answered->second;
    }
    COGLTexture2D* texture = FindOrAddTexture(name, pak, folder, useDefaultPalette, searchAllPaks);
    textureAnswers.emplace(std::move(question), texture);
    return texture;
}

COGLTexture2D* COGLScene::FindOrAddTexture(const std::string& name, CPakFile* pak, const std::string& folder,
                                           bool useDefaultPalette, bool searchAllPaks) {
    AssetId id;
    if (pak == nullptr) {
        const PathParts parts = SplitPath(name);
        id = assets->ResolveFile(folder.empty() ? name : folder + parts.name + parts.extension);
    } else {
        id = assets->ResolveEntry(*pak, name);
    }
    for (size_t i = 0; !id.IsValid() && searchAllPaks && i < paks.size(); i++) {
        if (paks[i]) {
            id = assets->ResolveEntry(*paks[i], name);
        }
    }
    if (!id.IsValid()) {
        return nullptr;
    }
    const TextureKey key{ id, -1, useDefaultPalette };
    if (COGLTexture2D* cached = textureCache.Find(key)) {
        return cached;
    }
    return textureCache.Add(key, std::make_unique<COGLTexture2D>(id, useDefaultPalette));
}

bool COGLScene::PrepareTexture(COGLTexture2D* texture) {
    if (texture == nullptr) {
        return false;
    }
    if (!decodesPictures) {
        return true;  // found is all a record needs
    }
    LoadMessages messages;
    const bool decoded = assets ? texture->Decode(*assets, messages) : texture->HasPicture();
    Report(messages, texture->source.path);
    return decoded;
}

COGLTexture2D* COGLScene::ShareTexture(const AssetId& holder, int32_t part, std::shared_ptr<const COGLImage> picture,
                                       const std::string& title) {
    const TextureKey key{ holder, part, false };
    if (COGLTexture2D* cached = textureCache.Find(key)) {
        return cached;
    }
    return textureCache.Add(key, std::make_unique<COGLTexture2D>(std::move(picture), title));
}
