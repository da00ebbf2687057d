// SlipsIn: each field of the text held against its name in the registered template.
#include "host/slips.h"

#include "host/display.h"
#include "host/host_os.h"
#include "host/host_record.h"

namespace kiv::host {
namespace {

std::vector<std::string> SplitAtBars(const std::string &text) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (std::size_t bar; (bar = text.find('|', start)) != std::string::npos; start = bar + 1)
    fields.push_back(text.substr(start, bar - start));
  fields.push_back(text.substr(start));
  return fields;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string Quoted(const std::string &text) {
  std::string quoted(1, '"');
  quoted += EscapeForDisplay(text);
  quoted += '"';
  return quoted;
}

}  // namespace

std::vector<std::string> SlipsIn(int32_t action, const std::string &params) {
  std::vector<std::string> slips;
  const RegisteredAction *registered = FindRegistered(action);
  if (registered == nullptr) return slips;
  const std::vector<std::string> names = SplitAtBars(TemplateOf(*registered));
  const std::vector<std::string> fields = SplitAtBars(params);
  for (std::size_t i = 0; i < names.size() && i < fields.size(); ++i) {
    const std::string &name = names[i];
    const std::string &field = fields[i];
    const bool variable = i + 1 == names.size();
    if (field.empty() || name == "[SQL_String]") continue;  // SQL's own brackets and blanks
    if ((variable || name == "[Database]") && (IsBlank(field.front()) || IsBlank(field.back())))
      slips.push_back(name + " " + Quoted(field) +
                      " begins or ends with a blank, which belongs to the name");
    if (field.size() > 2 && field.front() == '[' && field.back() == ']')
      slips.push_back(name + " " + Quoted(field) + " is written in brackets: the template's " +
                      "brackets are not typed (" + Quoted(field.substr(1, field.size() - 2)) + ")");
    if (name == "[SourceFile]" && !FileExists(field)) {
      const std::string full = FullPath(field);
      slips.push_back("there is no file " + Quoted(full) + " to read" +
                      (full == field ? "" : " (a relative name starts from the current folder)"));
    }
  }
  return slips;
}

}  // namespace kiv::host
