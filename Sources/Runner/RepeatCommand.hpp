// The runner's `repeat` command: a large real model made from a small one (Tools/ModelRepeater),
// for measuring the import on models of any size.
#pragma once

#include <iostream>
#include <string>

namespace Runner {

// Writes `copies` copies of the model at `model` (STEP text or zipped, checked as the import
// checks it) to `path` atomically and prints what it holds. Exit 0, or 2 on bad input (the model,
// the number of copies, the folder); a failing run leaves no file.
int Repeat(const std::string& model, int copies, const std::string& path, std::ostream& out, std::ostream& err);

} // namespace Runner
