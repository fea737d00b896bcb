// zendra-cli: batch work on VQ tables without the desktop program.
#include <CLI/CLI.hpp>
#include <iostream>

#include "cli/demo.h"

int main(int argc, char** argv) {
  CLI::App app{"zendra-cli: the command-line companion of the Zendra table editor"};
  app.set_version_flag("--version", "zendra-cli 1.02.003");
  app.require_subcommand(1);

  auto* demo = app.add_subcommand("demo", "Build a small example table in memory and print it");

  CLI11_PARSE(app, argc, argv);

  if (demo->parsed()) return zendra::cli::runDemo(std::cout);
  return 0;
}
