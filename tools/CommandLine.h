#pragma once

#include <string>

class COGLModel;
class CToolScene;

// What every tvntool command does the same way: usage and failure lines on
// standard error, "--help" anywhere, and the exit code after a load.
int  Usage(const char* usage);
bool WantsHelp(int argc, char** argv);
int  Fail(int code, const std::string& message);
// "IN -o OUT" in either order: false when another argument comes, or a
// second input; "-" is an input when standardInput allows it.
bool ReadInputAndOutput(int argc, char** argv, bool standardInput, std::string& input, std::string& output);
// Whether text ends in end, which is lower case, in any case.
bool EndsWith(const std::string& text, const std::string& end);
// Names on standard error each file the load looked for in vain that no
// report named (the viewer passes over an entry its archive lacks in
// silence), then gives the exit code: 2 when the load was aborted, 1 when
// anything was reported or missed, reports made while painting included,
// else 0.
int  Conclude(const CToolScene& loaded);
// One line on standard error for each skin the model names and holds no
// picture of, and for each picture file that did not load. A skin's path
// ends with the file name of its name (found beside the model, the folder
// is another; a Half-Life texture has the model's name in front). False
// when there was any, or when skins the model file holds itself failed.
bool NameFailedSkins(const COGLModel& model);
