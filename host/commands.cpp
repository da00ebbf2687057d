// kivhost's command table and its commands: list, info, --version, run, script
// (script_runner.cpp) and help.
#include "host/commands.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "host/display.h"
#include "host/host_os.h"
#include "host/host_record.h"
#include "host/messages.h"
#include "host/script_runner.h"
#include "host/slips.h"

namespace kiv::host {
namespace {

// --- The commands.

// What to tell when the module refused action `action`, after `where`.
void ReportRefused(const std::string &where, int32_t action) {
  Complain(where, "the plug-in has no action " + std::to_string(action) +
                      " and refused it; its actions are " + RegisteredRange() +
                      " (kivhost list shows them)");
}

// True when the last answer is one that a lock held elsewhere gives, and that README's
// retry recipe tries again: a query's "Error: database is locked", and the BLOB actions'
// errors (which do not say why).
bool AnswersALock() {
  const auto &sets = TheHostRecord().sets;
  return !sets.empty() &&
         (sets.back().value == "Error: database is locked" ||
          sets.back().value == "BLOB SELECT Error" || sets.back().value == "BLOB Update Error");
}

// Runs one action, up to `tries` times while it answers a lock, 100 ms apart (README's
// retry recipe); only the last try's answers stay. True when the module took it
// (qvExecAction returned non-zero).
bool Execute(const ModuleApi &api, int32_t action, const std::string &params, long tries) {
  auto &sets = TheHostRecord().sets;
  const std::size_t before = sets.size();
  for (long tried = 1;; ++tried) {
    const char *text = params.c_str();
    if (api.qvExecAction(action, &text) == 0) return false;
    if (tried == tries || !AnswersALock()) return true;
    sets.resize(before);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
}

bool EqualsIgnoringCase(const std::string &a, const std::string &b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
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

int List(const Invocation &) {
  Print(stdout, RegisteredActionsText());
  return 0;
}

int Info(const Invocation &invocation) {
  const std::vector<std::string> texts = IdentityTexts(*invocation.api);
  const char *labels[3] = {"title", "author", "description"};
  for (int i = 0; i < 3; ++i)
    Print(stdout, std::string(labels[i]) + ": " + EscapeForDisplay(texts[i]) + "\n");
  Print(stdout, "module: " + invocation.modulePath + "\n");
  Print(stdout, "engine: " + DescribeEngine(invocation.modulePath, invocation.api->module) + "\n");
  return 0;
}

int Version(const Invocation &invocation) {
  Print(stdout, "kivhost " KIV_VERSION "\n");
  if (invocation.api == nullptr) return LoadFailed(invocation);
  const ModuleApi &api = *invocation.api;
  Print(stdout, "module: " + EscapeForDisplay(IdentityTexts(api)[0]) + " (" +
                    invocation.modulePath + ")\n");
  Print(stdout, "engine: " + DescribeEngine(invocation.modulePath, api.module) + "\n");
  return 0;
}

int Run(const Invocation &invocation) {
  const std::optional<int32_t> action = ResolveAction(invocation.operands[0]);
  if (!action) {
    Complain("", "unknown action " + invocation.operands[0] + " (kivhost help shows the commands)");
    return 2;
  }
  const std::string &params = invocation.operands[1];
  for (const std::string &slip : SlipsIn(*action, params)) Warn("", slip);
  bool ran = true;
  for (long i = 0; i < invocation.options.repeat; ++i) {
    TheHostRecord().sets.clear();  // only the last run is shown; nothing piles up
    ran = Execute(*invocation.api, *action, params, invocation.options.tries);
  }
  const std::vector<std::string> after =
      ran ? SlipsAfter(*invocation.api, *action, params) : std::vector<std::string>();
  const auto &sets = TheHostRecord().sets;
  if (invocation.options.raw) {
    if (!sets.empty() && sets.back().value) {
      UseBinaryStandardOutput();
      std::fwrite(sets.back().value->data(), 1, sets.back().value->size(), stdout);
    }
  } else {
    ShowSetsSince(0);
  }
  for (const std::string &slip : after) Warn("", slip);
  if (!ran) ReportRefused("", *action);
  return ran ? 0 : 1;
}

int Script(const Invocation &invocation) {
  return RunScript(*invocation.api, invocation.operands[0], invocation.options);
}

int Help(const Invocation &);

constexpr CommandRow kCommands[] = {
    {{"run"},
     {"ACTION", "PARAMETERS"},
     {"--raw", "--repeat", "--retry"},
     1,
     Needs::kModule,
     &Run,
     "runs one action and shows each variable it sets as  name = value, with\n"
     "control bytes shown as \\r \\n \\t \\xHH (a record set's rows end in \\r)\n"
     "and a backslash as \\\\; --raw writes only the bytes of the value, unchanged;\n"
     "--repeat N runs the action N times and shows the last run; --retry N tries\n"
     "an action up to N times, 100 ms apart, while it answers a lock (README's\n"
     "recipe: a query's \"Error: database is locked\", a BLOB action's error)\n"},
    {{"script"},
     {"FILE"},
     {"--echo", "--retry"},
     -1,
     Needs::kModule,
     &Script,
     "runs one \"ACTION PARAMETERS\" a line from FILE (- reads standard input),\n"
     "saved as ANSI, UTF-8 or Unicode (made the host's ANSI text on Windows);\n"
     "blank lines and lines starting with # are skipped, [name] is replaced by\n"
     "the current value of variable name as the host holds it (a record set's\n"
     "final \\r included), [[ by [ (for SQL's [quoted] names); a Ctrl-Z ends the\n"
     "text; a bad line is reported and the script goes on; --echo shows each\n"
     "line before its answers\n"},
    {{"list"},
     {},
     {},
     -1,
     Needs::kModule,
     &List,
     "the actions as the plug-in registers them: number, name, parameter type,\n"
     "parameter count, hint\n"},
    {{"info"},
     {},
     {},
     -1,
     Needs::kModule,
     &Info,
     "the plug-in's title, author and description, its file and the SQLite it\n"
     "works with (on Windows: where it was found, or each file tried and why it\n"
     "was not used)\n"},
    {{"--version"},
     {},
     {},
     -1,
     Needs::kModuleIfItLoads,
     &Version,
     "the versions of kivhost, the plug-in and SQLite\n"},
    {{"help", "--help", "-h", "/?"}, {}, {}, -1, Needs::kModuleIfItLoads, &Help, "this text\n"}};

constexpr char kHelpHead[] =
    "kivhost: a command-line host for the KivSQLite3 plug-in. It loads the plug-in as the\n"
    "authoring host does and runs its actions, so that SQL can be tried outside the host.\n"
    "\n"
    "usage: kivhost [--module PATH] COMMAND\n"
    "\n"
    "commands:\n";

constexpr char kHelpTail[] =
    "The field return_variable names the variable that receives the answer; fields after\n"
    "it may only be empty or blank. \"(no variable) = Ok\" means that field was empty: a\n"
    "script would see no answer. A | inside a field (SQL's | and ||, a | in a quoted\n"
    "text) cuts the text: nothing runs, and the action's error goes to the last field\n"
    "that holds more than blanks. Write char(124) for a | in SQL. The brackets of the\n"
    "template are not typed: write shop.db, not [shop.db].\n"
    "\n"
    "--module PATH loads the plug-in at PATH instead of the one beside kivhost.\n"
    "\n"
    "exit status: 0 the plug-in ran every action; 1 it refused one (a number it has no\n"
    "action for); 2 a usage error, a bad script line or script file, a plug-in that cannot\n"
    "be loaded, or output that could not be written.\n";

// The templates as the plug-in registers them, one action a line.
std::string ActionsText() {
  std::size_t width = 0;
  for (const RegisteredAction &a : TheHostRecord().actions) width = std::max(width, a.name.size());
  std::string actions;
  for (const RegisteredAction &a : TheHostRecord().actions) {
    const std::string parameters = TemplateOf(a);
    actions += "  " + std::to_string(a.number) + "  " + a.name +
               std::string(width - a.name.size() + 2, ' ') +
               (parameters.empty() ? std::string("?") : parameters) + "\n";
  }
  return actions.empty() ? "  (the plug-in could not be loaded, so its actions are not known)\n"
                         : actions;
}

int Help(const Invocation &) {
  std::string help = kHelpHead;
  for (const CommandRow &command : kCommands) {
    help += "  " + UsageOf(command) + "\n";
    for (std::size_t start = 0, end;
         (end = std::string_view(command.help).find('\n', start)) != std::string_view::npos;
         start = end + 1)
      help += "        " + std::string(command.help + start, end - start) + "\n";
  }
  help +=
      "\nACTION is a number or an action name (any letter case); PARAMETERS is one text of\n"
      "fields separated by |, in the order of the action's template:\n";
  Print(stdout, help + ActionsText() + kHelpTail);
  return 0;
}

}  // namespace

int LoadFailed(const Invocation &invocation) {
  Complain("", invocation.loadError);
  return 2;
}

const CommandRow *FindCommand(const std::string &name) {
  for (const CommandRow &command : kCommands) {
    for (const char *alias : command.names) {
      if (alias != nullptr && name == alias) return &command;
    }
  }
  return nullptr;
}

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

int RunAndShow(const ModuleApi &api, int32_t action, const std::string &params,
               const std::string &where, long tries) {
  for (const std::string &slip : SlipsIn(action, params)) Warn(where, slip);
  const std::size_t before = TheHostRecord().sets.size();
  const bool ran = Execute(api, action, params, tries);
  if (!ran) ReportRefused(where, action);
  ShowSetsSince(before);
  if (ran) {
    for (const std::string &slip : SlipsAfter(api, action, params)) Warn(where, slip);
  }
  return ran ? 0 : 1;
}

}  // namespace kiv::host
