#pragma once

class CFile;

// The view a scene file is read for: the file holds the active viewport's
// field of view and its camera, and the view reads them itself. Both throw
// CFileException when the file ends first.
class CSceneView {
public:
    virtual ~CSceneView() = default;

    virtual void LoadFieldOfView(CFile& file, int version) = 0;
    virtual void LoadCamera(CFile& file, int version) = 0;
};
