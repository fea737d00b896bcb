#include "editor/ui/dialogs/name_check.h"

#include <string>

#include "editor/variable_commands.h"
#include "format/reader.h"
#include "model/prompt.h"

namespace zendra {

bool refuseVariableName(Prompt& prompt, const VexaMess& doc, std::string_view name,
                        const DimensionData* renaming) {
  const std::string problem = VariableNameProblem(doc, name, renaming);
  if (problem.empty()) return false;
  prompt.message(problem, kProgramTitle,
                 problem == kNameInUse ? Prompt::Icon::Critical : Prompt::Icon::Exclamation);
  return true;
}

}  // namespace zendra
