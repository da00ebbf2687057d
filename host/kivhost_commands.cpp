// kivhost's commands: list, info, run and script, over the host record.
#include "host/kivhost_commands.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "host/host_os.h"
#include "host/host_record.h"
#include "host/script_text.h"

namespace kiv::host {

const char kHelpTemplate[] =
    "kivhost: a command-line host for the KivSQLite3 plug-in. It loads the plug-in as the\n"
    "authoring host does and runs its actions, so that SQL can be tried outside the host.\n"
    "\n"
    "usage: kivhost [--module PATH] COMMAND\n"
    "\n"
    "commands:\n"
    "  run [--raw] [--repeat N] ACTION PARAMETERS\n"
    "        runs one action and shows each variable it sets as  name = value, with\n"
    "        control bytes shown as \\r \\n \\t \\xHH (a record set's rows end in \\r)\n"
    "        and a backslash as \\\\;\n"
    "        --raw writes only the bytes of the value, unchanged;\n"
    "        --repeat N runs the action N times and shows the last run\n"
    "  script [--echo] FILE\n"
    "        runs one \"ACTION PARAMETERS\" a line from FILE (- reads standard input),\n"
    "        saved as ANSI, UTF-8 or Unicode (made the host's ANSI text on Windows);\n"
    "        blank lines and lines starting with # are skipped, [name] is replaced by\n"
    "        the current value of variable name (less a record set's final \\r, which\n"
    "        the host's variable keeps), [[ by [ (for SQL's [quoted] names), a bad line\n"
    "        is reported and the script goes on; --echo shows each line before its\n"
    "        answers\n"
    "  list     the actions as the plug-in registers them: number, name, parameter\n"
    "           type, parameter count, hint\n"
    "  info     the plug-in's title, author and description, its file and the SQLite\n"
    "           it works with (on Windows: where it was found, or each file tried and\n"
    "           why it was not used)\n"
    "  --version  the versions of kivhost, the plug-in and SQLite\n"
    "  help, --help, -h, /?  this text\n"
    "\n"
    "ACTION is a number or an action name (any letter case); PARAMETERS is one text of\n"
    "fields separated by |, in the order of the action's template:\n"
    "%ACTIONS%"
    "The field return_variable names the variable that receives the answer; fields after\n"
    "it may only be empty or blank. \"(no variable) = Ok\" means that field was empty: a\n"
    "script would see no answer. A | inside a field (SQL's | and ||, a | in a quoted\n"
    "text) cuts the text: nothing runs, and the action's error goes to the last field\n"
    "that holds more than blanks. Write char(124) for a | in SQL.\n"
    "\n"
    "--module PATH loads the plug-in at PATH instead of the one beside kivhost.\n"
    "\n"
    "exit status: 0 the plug-in ran every action; 1 it refused one (a number it has no\n"
    "action for); 2 a usage error, a bad script line or script file, a plug-in that cannot\n"
    "be loaded, or output that could not be written.\n";

namespace {

// What `run` and `script` show for an answer handed to no variable.
constexpr char kNoVariable[] = "(no variable)";

// `text` with control bytes shown as \r \n \t and \xHH, so that one value stays on one
// line, and a backslash as \\, so that C:\new and a line break never look alike.
// Everything else, bytes from 128 up included, passes unchanged.
std::string EscapeForDisplay(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string shown;
  shown.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\\') {
      shown += "\\\\";
    } else if (c == '\r') {
      shown += "\\r";
    } else if (c == '\n') {
      shown += "\\n";
    } else if (c == '\t') {
      shown += "\\t";
    } else if (byte < 0x20 || byte == 0x7F) {
      shown += "\\x";
      shown += kHex[byte >> 4];
      shown += kHex[byte & 15];
    } else {
      shown += c;
    }
  }
  return shown;
}

void PrintSets(std::size_t from) {
  const auto &sets = TheHostRecord().sets;
  for (std::size_t i = from; i < sets.size(); ++i) {
    const std::string name = sets[i].name ? EscapeForDisplay(*sets[i].name) : kNoVariable;
    Print(stdout, name + " = " + EscapeForDisplay(sets[i].value.value_or("")) + "\n");
  }
}

// Runs one action; true when the module took it (qvExecAction returned non-zero).
bool Execute(const ModuleApi &api, int32_t action, const std::string &params) {
  const char *text = params.c_str();
  return api.qvExecAction(action, &text) != 0;
}

// What to tell when the module refused action `action`, after `where`.
void ReportRefused(const std::string &where, int32_t action) {
  Print(stderr, "kivhost: " + where + "the plug-in has no action " + std::to_string(action) +
                    " and refused it; its actions are 1 to 4 (kivhost list shows them)\n");
}

// `line` with every [name] of a variable set so far replaced by its value, less one
// final carriage return (a record set's row end: "[count]" gives "3", not "3" and CR).
// "[[" stands for a "[" that stays, for SQL's own bracket quoting of a name that is also
// a variable's ("SELECT [[n] FROM t" keeps "[n]"); a [name] of no variable stays as it is,
// and is named in `*unset`.
std::string SubstituteVariables(const std::string &line, std::string *unset) {
  std::string out;
  std::size_t pos = 0;
  while (pos < line.size()) {
    const std::size_t open = line.find('[', pos);
    if (open == std::string::npos) break;
    out += line.substr(pos, open - pos);
    if (line.compare(open, 2, "[[") == 0) {
      out += '[';
      pos = open + 2;
      continue;
    }
    const std::size_t close = line.find(']', open + 1);
    std::optional<std::string> value;
    if (close != std::string::npos) value = CurrentValue(line.substr(open + 1, close - open - 1));
    if (value) {
      if (!value->empty() && value->back() == '\r') value->pop_back();
      out += *value;
      pos = close + 1;
    } else {
      if (close != std::string::npos && unset->empty())
        *unset = line.substr(open, close - open + 1);
      out += '[';
      pos = open + 1;
    }
  }
  return out + line.substr(pos < line.size() ? pos : line.size());
}

bool EqualsIgnoringCase(const std::string &a, const std::string &b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

// The identity texts as the module hands them over: title, author, description.
std::vector<std::string> IdentityTexts(const ModuleApi &api) {
  HostTextSlot slots[3] = {0, 0, 0};
  api.qvInitPlugIn(0, &slots[0], &slots[1], &slots[2]);
  std::vector<std::string> texts;
  for (HostTextSlot slot : slots) {
    const char *text = reinterpret_cast<const char *>(slot);
    texts.emplace_back(text != nullptr ? text : "");
    FreeHostBlock(reinterpret_cast<void *>(slot));
  }
  return texts;
}

}  // namespace

void RegisterHost(const ModuleApi &api) {
  api.qvRegisterPlugIn(&RecordAction, 0, 0, &RecordVariable);
}

std::optional<int32_t> ResolveAction(const std::string &action) {
  if (!action.empty()) {
    errno = 0;
    char *end = nullptr;
    const long long number = std::strtoll(action.c_str(), &end, 10);
    if (*end == '\0' && errno == 0 && number >= INT32_MIN && number <= INT32_MAX)
      return static_cast<int32_t>(number);
  }
  for (const RegisteredAction &registered : TheHostRecord().actions) {
    if (EqualsIgnoringCase(registered.name, action)) return registered.number;
  }
  return std::nullopt;
}

std::string RegisteredActionsText() {
  std::string list;
  for (const RegisteredAction &a : TheHostRecord().actions) {
    list += std::to_string(a.number) + "\t" + a.name + "\t" + a.type + "\t" +
            std::to_string(a.count) + "\t" + EscapeForDisplay(a.hint) + "\n";
  }
  return list;
}

std::string HelpText() {
  // The templates as the plug-in registers them: the hint's second line is the action's
  // name and its template in double quotes.
  std::size_t width = 0;
  for (const RegisteredAction &a : TheHostRecord().actions) width = std::max(width, a.name.size());
  std::string actions;
  for (const RegisteredAction &a : TheHostRecord().actions) {
    const std::size_t open = a.hint.find('"');
    const std::size_t close = a.hint.rfind('"');
    const std::string parameters =
        open < close ? a.hint.substr(open + 1, close - open - 1) : std::string("?");
    actions += "  " + std::to_string(a.number) + "  " + a.name +
               std::string(width - a.name.size() + 2, ' ') + parameters + "\n";
  }
  if (actions.empty())
    actions = "  (the plug-in could not be loaded, so its actions are not known)\n";
  std::string help = kHelpTemplate;
  return help.replace(help.find("%ACTIONS%"), 9, actions);
}

int ListActions() {
  Print(stdout, RegisteredActionsText());
  return 0;
}

int ShowIdentity(const ModuleApi &api, const std::string &modulePath) {
  const std::vector<std::string> texts = IdentityTexts(api);
  const char *labels[3] = {"title", "author", "description"};
  for (int i = 0; i < 3; ++i)
    Print(stdout, std::string(labels[i]) + ": " + EscapeForDisplay(texts[i]) + "\n");
  Print(stdout, "module: " + modulePath + "\n");
  Print(stdout, "engine: " + DescribeEngine(modulePath, api.module) + "\n");
  return 0;
}

int ShowVersion(const ModuleApi &api, const std::string &modulePath) {
  Print(stdout, "kivhost " KIV_VERSION "\n");
  Print(stdout, "module: " + EscapeForDisplay(IdentityTexts(api)[0]) + " (" + modulePath + ")\n");
  Print(stdout, "engine: " + DescribeEngine(modulePath, api.module) + "\n");
  return 0;
}

int RunAction(const ModuleApi &api, int32_t action, const std::string &params,
              const RunOptions &options) {
  bool ran = true;
  for (long i = 0; i < options.repeat; ++i) {
    TheHostRecord().sets.clear();  // only the last run is shown; nothing piles up
    ran = Execute(api, action, params);
  }
  const auto &sets = TheHostRecord().sets;
  if (options.raw) {
    if (!sets.empty() && sets.back().value) {
      UseBinaryStandardOutput();
      std::fwrite(sets.back().value->data(), 1, sets.back().value->size(), stdout);
    }
  } else {
    PrintSets(0);
  }
  if (!ran) ReportRefused("", action);
  return ran ? 0 : 1;
}

namespace {

// The whole of the script file at `path` in `bytes`; false, with the system's reason in
// `*error`, when it cannot be read.
bool ReadScript(const std::string &path, std::string &bytes, std::string *error) {
  std::error_code code;
  if (std::filesystem::is_directory(path, code)) {
    *error = "it is a folder";
    return false;
  }
  std::FILE *file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    *error = std::strerror(errno);
    return false;
  }
  char buffer[65536];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
    bytes.append(buffer, got);
  const bool read = std::ferror(file) == 0;
  if (!read) *error = "reading stopped by an error";
  std::fclose(file);
  return read;
}

// Runs one script line (`where` names it for messages). Returns 0 when it ran or was
// skipped, 1 when the module refused its action, 2 for a bad line.
int RunScriptLine(const ModuleApi &api, const std::string &line, const std::string &where,
                  const RunOptions &options) {
  const std::size_t start = line.find_first_not_of(" \t");
  if (start == std::string::npos || line[start] == '#') return 0;
  if (options.echo) Print(stdout, "> " + line.substr(start) + "\n");
  const std::size_t end = line.find_first_of(" \t", start);
  const std::string word = line.substr(start, end - start);
  const std::size_t rest = end == std::string::npos ? end : line.find_first_not_of(" \t", end);
  const std::optional<int32_t> action = ResolveAction(word);
  if (!action) {
    Print(stderr, "kivhost: " + where + "unknown action " + word + "\n");
    return 2;
  }
  std::string unset;
  const std::string params =
      rest == std::string::npos ? std::string() : SubstituteVariables(line.substr(rest), &unset);
  if (!unset.empty())
    Print(stderr, "kivhost: " + where + "warning: no variable " + unset +
                      " is set so far; it stays as it is\n");
  const std::size_t before = TheHostRecord().sets.size();
  const bool ran = Execute(api, *action, params);
  if (!ran) ReportRefused(where, *action);
  PrintSets(before);
  return ran ? 0 : 1;
}

// The worse of two exit statuses: a bad line (2) over a refused action (1) over 0.
int Worse(int a, int b) { return a > b ? a : b; }

}  // namespace

int RunScript(const ModuleApi &api, const std::string &path, const RunOptions &options) {
  std::string error;
  std::vector<std::string> lines;
  int status = 0;
  if (path == "-") {
    // Standard input a line at a time, so that lines typed at a prompt are answered as
    // they come; each is made the host's text on its own.
    std::size_t number = 0;
    for (int c = 0; c != EOF;) {
      std::string bytes;
      while ((c = std::getchar()) != EOF && c != '\n') bytes += static_cast<char>(c);
      if (c == EOF && bytes.empty()) break;
      if (!ScriptLines(bytes + "\n", lines, &error)) {
        Print(stderr, "kivhost: standard input:" + std::to_string(++number) + ": " + error + "\n");
        status = 2;
        continue;
      }
      for (const std::string &line : lines) {
        const std::string where = "standard input:" + std::to_string(++number) + ": ";
        status = Worse(status, RunScriptLine(api, line, where, options));
      }
      std::fflush(stdout);
    }
    return status;
  }
  std::string bytes;
  if (!ReadScript(path, bytes, &error) || !ScriptLines(bytes, lines, &error)) {
    Print(stderr, "kivhost: cannot read script " + path + ": " + error + "\n");
    return 2;
  }
  for (std::size_t index = 0; index < lines.size(); ++index) {
    const std::string where = path + ":" + std::to_string(index + 1) + ": ";
    status = Worse(status, RunScriptLine(api, lines[index], where, options));
  }
  return status;
}

}  // namespace kiv::host
