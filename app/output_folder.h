// --output-dir: many inputs, each written under its own file name into one folder.
#pragma once

#include "app/settings.h"

namespace wqnprep {

// Preprocesses every file of the settings' paths into their output folder, which must exist, as
// FOLDER/NAME, NAME being the input's last path component; a folder among them stands for the
// files of its tree (input_paths.h), written as FOLDER/NAME/PATH, NAME being the folder's and PATH
// the file's in it, in folders made as they are written to. Two inputs of one output path and an
// output that is one of the inputs (or another output) under any name, among others
// (output_refusals.h), are refused before anything is written.
//
// OnFinding::pass and ::warn do each input on its own, as the two-path form does, and go on
// after one fails; OnFinding::fail writes nothing unless every input is clean. Returns kFailure
// if anything failed, each failure named on standard error.
int preprocessIntoFolder(const Settings& settings);

}  // namespace wqnprep
