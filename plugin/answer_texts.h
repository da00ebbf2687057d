// The answer texts that actions hand back, byte for byte as scripts compare them. The
// spelling ("Querry") is what existing scripts match.
#pragma once

namespace kiv::plugin {

inline constexpr char kAnswerOk[] = "Ok";
inline constexpr char kAnswerOpenFailed[] = "Error: unable to open database";
inline constexpr char kAnswerCommandFailed[] = "Error: unable to execute Querry";
inline constexpr char kAnswerErrorPrefix[] = "Error: ";
inline constexpr char kAnswerBlobSelectFailed[] = "BLOB SELECT Error";
inline constexpr char kAnswerBlobUpdateFailed[] = "BLOB Update Error";
inline constexpr char kAnswerWriteFileFailed[] = "Error: unable to write file";
inline constexpr char kAnswerReadFileFailed[] = "Error: unable to read file";

}  // namespace kiv::plugin
