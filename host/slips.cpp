// SlipsIn and SlipsAfter: each field of the text held against its name in the registered
// template, before the action runs and, for a BLOB action that answered "Ok", after it.
#include "host/slips.h"

#include <regex>

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

// The blanks SQLite takes between words: the plug-in reads a variable's field that holds
// one inside it (or a comment marker) as SQL that a "|" cut off.
bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

std::string Quoted(const std::string &text) {
  std::string quoted(1, '"');
  quoted += EscapeForDisplay(text);
  quoted += '"';
  return quoted;
}

// True when `field` holds a blank between other characters, or a comment marker.
bool ReadsAsSql(const std::string &field) {
  if (field.find("--") != std::string::npos || field.find("/*") != std::string::npos) return true;
  std::size_t first = 0;
  std::size_t last = field.size();
  while (first < last && IsBlank(field[first])) ++first;
  while (last > first && IsBlank(field[last - 1])) --last;
  for (std::size_t i = first; i < last; ++i) {
    if (IsBlank(field[i])) return true;
  }
  return false;
}

// True when all of `field` reads as a number: blanks, a decimal number (sign, fraction,
// exponent E or D) or an "&" radix literal, blanks.
bool IsNumber(const std::string &field) {
  static const std::regex number(
      "[ \t\n]*([+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eEdD][+-]?[0-9]+)?|&[hHoOqQbB]?[0-9a-fA-F]+)"
      "[ \t\r\n]*");
  return std::regex_match(field, number);
}

// A row id as the plug-in reads it when it is a plain whole number (blanks before it, a
// sign, digits, blanks after): its digits; empty for anything else.
std::string PlainRowId(const std::string &field) {
  const std::size_t start = field.find_first_not_of(" \t\n");
  if (start == std::string::npos) return "";
  std::size_t end = start + (field[start] == '-' || field[start] == '+' ? 1 : 0);
  const std::size_t digits = end;
  while (end < field.size() && field[end] >= '0' && field[end] <= '9') ++end;
  if (end == digits || end - digits > 18) return "";
  if (field.find_first_not_of(" \t\r\n", end) != std::string::npos) return "";
  return field.substr(start, end - start);
}

// The folder part of `name`, or empty when it has none.
std::string FolderPart(const std::string &name) {
  const std::size_t cut = name.find_last_of(kFolderSeparators);
  return cut == std::string::npos ? std::string() : name.substr(0, cut + 1);
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
    const bool file = name == "[SourceFile]" || name == "[TargetFile]";
    if (name == "[RowID]" && field.find_first_not_of(" \t\r\n") == std::string::npos)
      slips.push_back("[RowID] is empty: it reads as row 0, which normally no row has");
    if (field.empty() || name == "[SQL_String]") continue;  // SQL's own brackets and blanks
    if ((variable || name == "[Database]") && (IsBlank(field.front()) || IsBlank(field.back())))
      slips.push_back(name + " " + Quoted(field) +
                      " begins or ends with a blank, which belongs to the name");
    if (variable && ReadsAsSql(field))
      slips.push_back(name + " " + Quoted(field) +
                      " holds a blank, tab, line break or comment marker inside it, as no "
                      "variable's name does: the plug-in takes it for SQL that a | cut off, runs "
                      "nothing and answers its error");
    if (field.size() > 2 && field.front() == '[' && field.back() == ']')
      slips.push_back(name + " " + Quoted(field) + " is written in brackets: the template's " +
                      "brackets are not typed (" + Quoted(field.substr(1, field.size() - 2)) + ")");
    if (name == "[RowID]" && !IsNumber(field))
      slips.push_back("[RowID] " + Quoted(field) +
                      " is not a number: the plug-in reads the number it starts with (\"2abc\" "
                      "as 2), or 0, which normally no row has");
    if ((name == "[Database]" || file) && LooksLikeAnotherSystemsPath(field))
      slips.push_back(name + " " + Quoted(field) + " is a Windows path, which this system " +
                      "reads as a name in the current folder: write it with /");
    if (name == "[SourceFile]" && !FileExists(field)) {
      const std::string full = FullPath(field);
      slips.push_back("there is no file " + Quoted(full) + " to read" +
                      (full == field ? "" : " (a relative name starts from the current folder)"));
    }
    const std::string folder = FolderPart(field);
    if (name == "[TargetFile]" && !folder.empty() && !FileExists(folder))
      slips.push_back("there is no folder " + Quoted(FullPath(folder)) + " to write " +
                      Quoted(field) + " into");
  }
  return slips;
}

std::vector<std::string> SlipsAfter(const ModuleApi &api, int32_t action,
                                    const std::string &params) {
  std::vector<std::string> slips;
  const std::vector<std::string> fields = SplitAtBars(params);
  const auto &answered = TheHostRecord().sets;
  if ((action != 3 && action != 4) || fields.size() < 5 || answered.empty() ||
      answered.back().value != "Ok")
    return slips;
  const std::string rowId = PlainRowId(fields[3]);
  if (rowId.empty() || fields[1].find(']') != std::string::npos) return slips;
  // Asked through the plug-in, as a script would ask: does the row exist?
  const std::string sql =
      fields[0] + "|SELECT count(*) FROM [" + fields[1] + "] WHERE rowid = " + rowId + "|";
  const std::size_t before = TheHostRecord().sets.size();
  const char *text = sql.c_str();
  api.qvExecAction(2, &text);
  auto &sets = TheHostRecord().sets;
  const bool none = sets.size() == before + 1 && sets.back().value == "0\r";
  sets.resize(before);  // the question is kivhost's own, not the script's
  if (none)
    slips.push_back("no row of table " + Quoted(fields[1]) + " has row id " + rowId +
                    (action == 3 ? ", so the file is empty" : ", so nothing was stored"));
  return slips;
}

}  // namespace kiv::host
