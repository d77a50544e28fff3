#include "cli/terminal_progress.h"

#include "platform/text.h"

namespace vrx {
namespace {

constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

// The last `keep` characters of a path, with "..." in front when it was cut;
// cut at character boundaries so that no UTF-8 sequence is split.
std::string TailOfPath(const std::string& text, size_t keep) {
  const size_t length = Utf8Length(text);
  if (length <= keep) {
    return text;
  }
  if (keep <= 3) {
    // Braces would make a string of the two characters instead.
    return std::string(keep, '.');  // NOLINT(modernize-return-braced-init-list)
  }
  size_t drop = length - (keep - 3);
  size_t at = 0;
  while (drop > 0 && at < text.size()) {
    ++at;
    // Skip continuation bytes of the character just passed.
    while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) {
      ++at;
    }
    --drop;
  }
  return "..." + text.substr(at);
}

}  // namespace

TerminalProgress::TerminalProgress(std::string caption, const TerminalProgressSettings& settings)
    : Progress(std::move(caption)), settings_(settings) {}

TerminalProgress::~TerminalProgress() {
  Clear();
}

std::string TerminalProgress::Line() const {
  std::string line = captionBase() + " " + std::to_string(percent()) + "%";
  if (!text().empty()) {
    const size_t used = Utf8Length(line) + 1;
    const size_t width = settings_.width > 1 ? static_cast<size_t>(settings_.width - 1) : 0;
    if (width > used) {
      line += " " + TailOfPath(EscapeControlCharacters(text()), width - used);
    }
  }
  return line;
}

void TerminalProgress::DoPump(bool /*escapeCancels*/) {
  if (settings_.interrupted != nullptr && *settings_.interrupted != 0) {
    Cancel();
    return;
  }
  Draw(false);
}

void TerminalProgress::Draw(bool force) {
  if (settings_.stream == nullptr || cancelled()) {
    return;
  }
  const auto now = std::chrono::steady_clock::now();
  if (!force && drawn_ && now - lastDraw_ < kRedrawInterval) {
    return;
  }
  lastDraw_ = now;
  drawn_ = true;
  // Carriage return, the line, then erase whatever an older, longer line left.
  std::fprintf(settings_.stream, "\r%s\x1b[K", Line().c_str());
  std::fflush(settings_.stream);
}

void TerminalProgress::Clear() {
  if (settings_.stream == nullptr || !drawn_) {
    return;
  }
  drawn_ = false;
  std::fputs("\r\x1b[K", settings_.stream);
  std::fflush(settings_.stream);
}

std::unique_ptr<Progress> TerminalProgressFactory::Create(const std::string& caption,
                                                          bool /*smooth*/) {
  return std::make_unique<TerminalProgress>(caption, settings_);
}

}  // namespace vrx
