#include "gui/editor/dialogs/name_check.h"

#include <string>

#include "core/editor/variable_commands.h"
#include "core/format/reader.h"
#include "core/model/prompt.h"

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
