#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "math/CVector.h"

class CMeshArrays;
class COGLModel;

// A frame-animated model (MD2, a player's body, MDL, SiN) as morph targets
// see it: the parts of its mesh, all over one table of vertices, every frame
// of that table in order, and the named animations as runs of those frames.
struct MorphModel {
    struct Clip {
        std::string name;
        int32_t     first = 0;
        int32_t     count = 0;
    };

    // The parsed file, which every copy of the model shares.
    const void*                       source = nullptr;
    // The mesh as the viewer draws it, made when the file was read.
    std::vector<const CMeshArrays*>   parts;
    // How many frames there are, and, when gathered with their positions,
    // each frame's vertices in the mesh's axes and their normals as the
    // viewer lights them.
    int32_t                           frameCount = 0;
    bool                              withPositions = true;
    std::vector<std::vector<CVector>> frames;
    std::vector<std::vector<CVector>> normals;
    // The viewer's animation list, in its order.
    std::vector<Clip>                 clips;
    // Animations whose frames have another number of vertices than the
    // first's (SiN), which no morph target can hold.
    std::vector<std::string>          leftOut;
    // The frames would take more than the export's budget: a file can name
    // one block of frames many times, and each frame is written out per
    // corner, so the output can grow far past the file.
    bool                              tooLarge = false;

    // Only the frames and clip of the animation named; false when there is none.
    bool KeepOnly(const std::string& name);
    // Counts one more frame; whether its positions are to be gathered.
    bool TakeFrame();
};

// The model's frames and animations, the frames' positions only when asked
// for (a copy of a model already exported needs none). False when the model
// is of no kind animated by frames, or its frames are too large to export.
// The parts point into the model's shared data, which must outlive the
// result.
bool GatherMorphModel(const COGLModel& model, bool withPositions, MorphModel& morph);
