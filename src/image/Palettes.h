#pragma once

#include <cstdint>
#include <string>

// The palette and gamma tables every 8-bit picture is drawn through. They
// live for the whole process and are written only by the functions below,
// on the user-interface thread.

typedef uint8_t PaletteTable[256][4];  // R, G, B and a byte that is no colour

// T[v]: the corrected value of a colour byte v under the user's gamma.
extern uint8_t gammaTable[256];
// The Quake II and Quake palettes through gammaTable; rebuilt with it.
extern PaletteTable quake2PaletteTable;
extern PaletteTable quakePaletteTable;
// "quake2.pal" through the gamma in force at start-up, else the Quake II
// table; kept as it is when the gamma changes later.
extern PaletteTable defaultPaletteTable;

// Rebuilds gammaTable for gamma (1.0 leaves colours unchanged, below 1.0
// brightens), then the Quake II and Quake tables.
void ApplyGamma(float gamma);

// True when gammaTable leaves every value as it is.
bool GammaIsIdentity();

// out[i] = (T[R], T[G], T[B], 0) for the 256 entries of a 768-byte palette.
void ConvertPalette(PaletteTable out, const uint8_t in[768]);

// Reads a palette file in JASC text or RIFF form into out; false when the
// file is missing or is neither, leaving out unspecified.
bool ReadPaletteFile(const std::string& path, PaletteTable out);
bool ReadJascPalette(const std::string& path, PaletteTable out);

// Builds defaultPaletteTable from "quake2.pal" beside the program, in the
// user's data folder or in the installed data folder; false when there is
// none and the Quake II table is used (the program tells the user, message
// 107). Called once at start-up, after ApplyGamma.
bool FindDefaultPalette();

// Builds defaultPaletteTable from the palette file at path, through the
// current gamma. False when it cannot be read; the Quake II table is then
// copied in and the caller tells the user.
bool LoadDefaultPaletteFrom(const std::string& path);
