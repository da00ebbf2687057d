// kivhost's commands: list, info, run and script, over the host record.
#include "host/kivhost_commands.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "host/host_os.h"
#include "host/host_record.h"

namespace kiv::host {
namespace {

// `text` with backslash, CR, LF and tab as \\ \r \n \t and other control bytes as \xHH,
// so that one value stays on one line. Bytes from 128 up pass unchanged.
std::string EscapeForDisplay(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string shown;
  shown.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '\\':
        shown += "\\\\";
        break;
      case '\r':
        shown += "\\r";
        break;
      case '\n':
        shown += "\\n";
        break;
      case '\t':
        shown += "\\t";
        break;
      default:
        if (byte < 0x20 || byte == 0x7F) {
          shown += "\\x";
          shown += kHex[byte >> 4];
          shown += kHex[byte & 15];
        } else {
          shown += c;
        }
    }
  }
  return shown;
}

void PrintSets(std::size_t from) {
  const auto &sets = TheHostRecord().sets;
  for (std::size_t i = from; i < sets.size(); ++i) {
    const std::string name = sets[i].name ? EscapeForDisplay(*sets[i].name) : "(null)";
    std::printf("%s = %s\n", name.c_str(), EscapeForDisplay(sets[i].value.value_or("")).c_str());
  }
}

// Runs one action; true when the module took it (qvExecAction returned non-zero).
bool Execute(const ModuleApi &api, int32_t action, const std::string &params) {
  const char *text = params.c_str();
  return api.qvExecAction(action, &text) != 0;
}

// `line` with every [name] of a variable set so far replaced by its value.
std::string SubstituteVariables(const std::string &line) {
  std::string out;
  std::size_t pos = 0;
  while (pos < line.size()) {
    const std::size_t open = line.find('[', pos);
    const std::size_t close = open == std::string::npos ? open : line.find(']', open + 1);
    if (close == std::string::npos) break;
    const std::optional<std::string> value = CurrentValue(line.substr(open + 1, close - open - 1));
    out += line.substr(pos, open - pos);
    if (value) {
      out += *value;
      pos = close + 1;
    } else {
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

int ListActions() {
  for (const RegisteredAction &a : TheHostRecord().actions) {
    std::printf("%d\t%s\t%s\t%d\t%s\n", a.number, a.name.c_str(), a.type.c_str(), a.count,
                EscapeForDisplay(a.hint).c_str());
  }
  return 0;
}

int ShowIdentity(const ModuleApi &api, const std::string &modulePath) {
  HostTextSlot slots[3] = {0, 0, 0};
  api.qvInitPlugIn(0, &slots[0], &slots[1], &slots[2]);
  const char *labels[3] = {"title", "author", "description"};
  for (int i = 0; i < 3; ++i) {
    const char *text = reinterpret_cast<const char *>(slots[i]);
    std::printf("%s: %s\n", labels[i], EscapeForDisplay(text != nullptr ? text : "").c_str());
    FreeHostBlock(reinterpret_cast<void *>(slots[i]));
  }
  std::printf("module: %s\n", modulePath.c_str());
  std::printf("engine: %s\n", DescribeEngine(modulePath, api.module).c_str());
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
  return ran ? 0 : 1;
}

int RunScript(const ModuleApi &api, const std::string &path) {
  std::ifstream script(path, std::ios::binary);
  if (!script) {
    std::fprintf(stderr, "kivhost: cannot read script %s\n", path.c_str());
    return 2;
  }
  int status = 0;
  std::string line;
  for (int number = 1; std::getline(script, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    const std::size_t blank = line.find(' ');
    const std::string word = line.substr(0, blank);
    const std::optional<int32_t> action = ResolveAction(word);
    if (!action) {
      std::fprintf(stderr, "kivhost: %s:%d: unknown action %s\n", path.c_str(), number,
                   word.c_str());
      return 2;
    }
    const std::string params =
        blank == std::string::npos ? std::string() : SubstituteVariables(line.substr(blank + 1));
    const std::size_t before = TheHostRecord().sets.size();
    if (!Execute(api, *action, params)) status = 1;
    PrintSets(before);
  }
  return status;
}

}  // namespace kiv::host
