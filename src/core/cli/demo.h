#pragma once

#include <ostream>

namespace zendra::cli {

// Builds a small example table (region by sex by year) in memory with the table model
// and prints its structure: the variables in stub and heading order, their values,
// the cell count and the cell notes.
int runDemo(std::ostream& out);

}  // namespace zendra::cli
