// The script runner: one loop over the pieces of a script (a whole file, or a line of
// standard input at a time), each made lines as the host holds them (script_text), each
// line checked, substituted, warned of and run.
#include "host/script_runner.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <regex>

#include "host/display.h"
#include "host/host_os.h"
#include "host/host_record.h"
#include "host/messages.h"
#include "host/script_text.h"
#include "host/slips.h"

namespace kiv::host {
namespace {

// Where a script's lines come from.
struct ScriptSource {
  std::string name;             // the path, or "standard input", for messages
  std::FILE *stream = nullptr;  // standard input; null for a file, read whole at once
  std::string path;             // the file
  bool done = false;            // every piece has been given
};

// The whole of the script file at `path` in `bytes`; false, with the system's reason in
// `error`, when it cannot be read.
bool ReadScriptFile(const std::string &path, std::string &bytes, std::string &error) {
  std::error_code code;
  if (std::filesystem::is_directory(path, code)) {
    error = "it is a folder";
    return false;
  }
  std::FILE *file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    error = std::strerror(errno);
    return false;
  }
  char buffer[65536];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
    bytes.append(buffer, got);
  const bool read = std::ferror(file) == 0;
  if (!read) error = "reading stopped by an error";
  std::fclose(file);
  return read;
}

// The next piece of the script into `bytes`: the whole file, or the next line of
// standard input (as typed at a Windows console, marked UTF-8), or the rest of it when
// it is UTF-16, whose line breaks are two bytes. False at the end, or with `error`
// set when the file cannot be read.
bool NextPiece(ScriptSource &source, std::string &bytes, std::string &error) {
  bytes.clear();
  if (source.done) return false;
  if (source.stream == nullptr) {
    source.done = true;
    return ReadScriptFile(source.path, bytes, error);
  }
  std::string typed;
  switch (ReadTypedLine(typed)) {
    case Typed::kLine:
      bytes = "\xEF\xBB\xBF" + typed + "\n";
      return true;
    case Typed::kEnd:
      return false;
    case Typed::kNotAConsole:
      break;
  }
  for (int c; (c = std::fgetc(source.stream)) != EOF;) {
    bytes += static_cast<char>(c);
    if (c != '\n') continue;
    const bool utf16 =
        bytes.size() >= 2 && (bytes[0] == '\0' || bytes[1] == '\0' ||
                              bytes.rfind("\xFF\xFE", 0) == 0 || bytes.rfind("\xFE\xFF", 0) == 0);
    if (!utf16) return true;
    for (int rest; (rest = std::fgetc(source.stream)) != EOF;) bytes += static_cast<char>(rest);
    source.done = true;
    return true;
  }
  source.done = true;
  return !bytes.empty();
}

// Runs one script line (`where` names it for messages). Returns 0 when it ran or was
// skipped, 1 when the module refused its action, 2 for a bad line.
int RunScriptLine(const ModuleApi &api, const std::string &line, const std::string &where,
                  const RunOptions &options) {
  const std::size_t start = line.find_first_not_of(" \t");
  if (start == std::string::npos || line[start] == '#') return 0;
  if (options.echo) Print(stdout, "> " + line.substr(start) + "\n");
  if (line.find('\0') != std::string::npos) {
    Complain(where,
             "the line holds a NUL byte, which the host can never send (its text ends there); "
             "nothing of it is run");
    return 2;
  }
  const std::size_t end = line.find_first_of(" \t", start);
  const std::string word = line.substr(start, end - start);
  const std::size_t rest = end == std::string::npos ? end : line.find_first_not_of(" \t", end);
  const std::optional<int32_t> action = ResolveAction(word);
  if (!action) {
    Complain(where, "unknown action " + word);
    return 2;
  }
  std::string unset;
  std::string quotedCr;
  const std::string params = rest == std::string::npos
                                 ? std::string()
                                 : SubstituteVariables(line.substr(rest), unset, quotedCr);
  if (!unset.empty()) Warn(where, "no variable " + unset + " is set so far; it stays as it is");
  if (!quotedCr.empty())
    Warn(where, quotedCr +
                    " ends in a CR (a record set's row end, which the host's variable "
                    "keeps too), and the quoted text holds it: remove it first "
                    "(README, Recipes: \"Using an answer in the next action\")");
  return RunAndShow(api, *action, params, where, options.tries);
}

// True when the quoted `[name]` from `open` to `close` is the text that SQL strips of its
// final CR, as README teaches: rtrim('[x]', char(13)), trim('[x]', char(13)) or
// replace('[x]', char(13), '') (any letter case, blanks after "(" and ",").
bool StripsTheCr(const std::string &line, std::size_t open, std::size_t close) {
  static const std::regex before("(rtrim|trim|replace)\\( *['\"]$", std::regex::icase);
  static const std::regex after("^['\"] *, *char\\( *13 *\\)", std::regex::icase);
  const std::size_t from = open < 12 ? 0 : open - 12;
  return std::regex_search(line.substr(from, open - from), before) &&
         std::regex_search(line.substr(close + 1), after);
}

// The worse of two exit statuses: a bad line (2) over a refused action (1) over 0.
int Worse(int a, int b) { return a > b ? a : b; }

}  // namespace

std::string SubstituteVariables(const std::string &line, std::string &unset,
                                std::string &quotedCr) {
  unset.clear();
  quotedCr.clear();
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
      const bool quoted =
          close + 1 < line.size() && (line[close + 1] == '\'' || line[close + 1] == '"');
      if (quoted && !value->empty() && value->back() == '\r' && quotedCr.empty() &&
          !StripsTheCr(line, open, close))
        quotedCr = line.substr(open, close - open + 1);
      out += *value;
      pos = close + 1;
    } else {
      if (close != std::string::npos && unset.empty()) unset = line.substr(open, close - open + 1);
      out += '[';
      pos = open + 1;
    }
  }
  return out + line.substr(pos < line.size() ? pos : line.size());
}

int RunScript(const ModuleApi &api, const std::string &path, const RunOptions &options) {
  ScriptSource source{path == "-" ? "standard input" : path, path == "-" ? stdin : nullptr, path};
  std::string bytes;
  std::string unreadable;
  std::size_t number = 0;
  int status = 0;
  while (NextPiece(source, bytes, unreadable)) {
    ScriptText script;
    std::string error;
    if (!ScriptLines(bytes, script, error)) {
      if (source.stream == nullptr) {  // a file is refused whole
        unreadable = error;
        break;
      }
      Complain("standard input:" + std::to_string(++number) + ": ", error);
      status = 2;
      continue;
    }
    const std::size_t whole = script.lines.size() - (script.lastLineCut ? 1 : 0);
    for (std::size_t i = 0; i < whole; ++i) {
      const std::string where = source.name + ":" + std::to_string(++number) + ": ";
      status = Worse(status, RunScriptLine(api, script.lines[i], where, options));
    }
    std::fflush(stdout);
    if (script.lastLineCut) {
      Complain(source.name + ":" + std::to_string(++number) + ": ",
               "a Ctrl-Z (MS-DOS's end mark) inside the line ends the text there; nothing of "
               "the line is run");
      status = 2;
    } else if (script.endedEarly) {
      Warn(source.name + ":" + std::to_string(number + 1) + ": ",
           "the text ends at its Ctrl-Z (MS-DOS's end mark); nothing after it is run");
    }
    if (script.ended) break;  // typed at a Windows console, Ctrl-Z is how input ends
  }
  if (!unreadable.empty()) {
    Complain("", "cannot read script " + path + ": " + unreadable);
    return 2;
  }
  return status;
}

}  // namespace kiv::host
