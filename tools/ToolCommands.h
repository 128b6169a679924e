#pragma once

// The subcommands of tvntool. Each takes the arguments after its name
// (argv[0] is the subcommand) and returns the process's exit code; problems
// go to standard error as one line each.
int RunInfo(int argc, char** argv);
int RunRender(int argc, char** argv);
int RunCompose(int argc, char** argv);
int RunCheck(int argc, char** argv);
int RunModel(int argc, char** argv);
int RunThumbnail(int argc, char** argv);
int RunExport(int argc, char** argv);
// RunThumbnail with its time limit in milliseconds instead of ten seconds,
// for tests.
int RunThumbnailWithin(int argc, char** argv, int limitMilliseconds);
