// The frame's process-wide HostLink, the hand-back, and the frame every action runs in.
#include "frame/frame.h"

#include "frame/param_text.h"

namespace kiv::frame {

HostLink hostLink{};

void HandBack(std::string_view name, const char *answer) noexcept {
  ByteBuffer copy;
  if (copy.Assign(name)) SetHostVariable(copy.c_str(), answer);
}

const char *RunActionFrame(const char *params, const ActionFrame &action) noexcept {
  const ParamText text = ReadParamText(params);
  const std::size_t n = action.fieldCount;
  const AnswerTarget target = FindAnswerTarget(text, n, action.sqlField);
  ByteBuffer copy;
  std::string_view fields[kMostFields];
  if (target.cut) {
    HandBack(target.variable, text.overBound ? action.tooLong : action.cut);
  } else if (!SplitFields(text.text, copy, fields, n)) {
    HandBack(target.variable, action.noMemory);
  } else {
    const Answer answer = action.work(fields);
    SetHostVariable(fields[n - 1].data(), answer.c_str());
  }
  return nullptr;
}

void SetHostVariable(const char *name, const char *value) noexcept {
  const SetVariableFn callback = hostLink.setVariableCallback;
  if (callback == nullptr) return;
  callback(*name != '\0' ? name : nullptr, *value != '\0' ? value : nullptr);
}

}  // namespace kiv::frame
