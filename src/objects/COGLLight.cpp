#include "objects/COGLLight.h"

#include <GL/gl.h>

#include <vector>

#include "objects/COGLObject.h"
#include "platform/CFile.h"
#include "platform/RecordIO.h"
#include "platform/CGLState.h"

COGLLight::~COGLLight() {
    marker.reset();
    // A scene shown after this one may have fewer lights: its frames would
    // not touch this unit again.
    if (HasUnit()) {
        glDisable(Unit());
    }
}

uint32_t COGLLight::Unit() const {
    return GL_LIGHT0 + static_cast<uint32_t>(slot);
}

void COGLLight::SetMarker(std::unique_ptr<COGLObject> newMarker) {
    marker = std::move(newMarker);
    marker->SetAmbient(0.1f, 0.1f, 0.1f, 1.0f);
    marker->SetDiffuse(0.25f, 0.25f, 0.25f, 1.0f);
    marker->SetSpecular(1.0f, 1.0f, 1.0f, 1.0f);
    marker->SetEmission(0.2f, 0.2f, 0.2f, 1.0f);
    marker->SetShininess(1.0f);
    marker->picksByWire = true;
    marker->renderMode = 2;
    marker->reservedA |= 1;
}

void COGLLight::SetUpUnit() const {
    const GLenum unit = Unit();
    const float lightPosition[4] = { marker->position.x, marker->position.y, marker->position.z, w };
    glEnable(unit);
    glLightfv(unit, GL_AMBIENT, ambient);
    glLightfv(unit, GL_DIFFUSE, diffuse);
    glLightfv(unit, GL_SPECULAR, specular);
    glLightfv(unit, GL_POSITION, lightPosition);
}

void COGLLight::DrawMarker(CGLState& gl) {
    // The marker draws in the baseline it is given: unlit lines for this draw.
    const uint32_t frame = gl.Baseline();
    gl.SetBaseline(COGLObject::UnlitLineBits(frame));
    marker->Draw(gl, DRAW_WIRE);
    gl.SetBaseline(frame);
}

void COGLLight::DrawSelected(CGLState& gl) {
    marker->Draw(gl, DRAW_WIRE);
}

void COGLLight::DrawForSelection() {
    marker->DrawForSelection();
}

void COGLLight::Save(CFile& file) const {
    CRecordWriter out;
    out.WriteName(name, RECORD_NAME_SIZE);
    out.WriteFloats(ambient, 4);
    out.WriteFloats(diffuse, 4);
    out.WriteFloats(specular, 4);
    out.WriteFloat(marker->position.x);
    out.WriteFloat(marker->position.y);
    out.WriteFloat(marker->position.z);
    out.WriteFloat(w);
    out.WriteInt32(marker->IsVisible() ? 1 : 0);
    out.WriteInt32(enabled);
    WriteTail(out);
    file.Write(out.Bytes().data(), out.Bytes().size());
}

void COGLLight::Load(CFile& file, int /*version*/) {
    std::vector<uint8_t> record(RecordSize());
    file.Read(record.data(), record.size());

    CRecordReader in(record.data(), record.size());
    name = in.ReadName(RECORD_NAME_SIZE);
    in.ReadFloats(ambient, 4);
    in.ReadFloats(diffuse, 4);
    in.ReadFloats(specular, 4);
    const float x = in.ReadFloat();
    const float y = in.ReadFloat();
    const float z = in.ReadFloat();
    marker->SetPosition(x, y, z);
    w = in.ReadFloat();
    marker->SetVisible(in.ReadInt32() != 0);
    enabled = in.ReadInt32();
    ReadTail(in);
}

void COGLLight::CopyFrom(const COGLLight& source) {
    for (int i = 0; i < 4; i++) {
        ambient[i] = source.ambient[i];
        diffuse[i] = source.diffuse[i];
        specular[i] = source.specular[i];
    }
    const CVector& from = source.marker->position;
    marker->SetPosition(from.x, from.y, from.z);
    w = source.w;
    name = "Copy of " + source.name;
}
