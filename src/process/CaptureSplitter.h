#pragma once

#include <string>
#include <string_view>
#include <vector>

// Turns the chunks read from a child's output pipe into the lines a capture view shows.
// A chunk is cut at its first zero byte. Text after a chunk's last line feed waits in the
// carry until a later chunk brings a line feed. A piece (carry + chunk up to its last line
// feed) loses its trailing blanks and control bytes, is split at CR LF, lone CR and lone LF,
// and each line gets one space appended.
class CaptureSplitter {
public:
    // Feeds one chunk; appends the lines it completes to `lines` and returns how many.
    std::size_t Feed(std::string_view chunk, std::vector<std::string>& lines);

    // The output has ended: the carry, if anything but blanks and control bytes is left in it,
    // is shown as a last piece, so a final line without a line feed is not lost.
    std::size_t Finish(std::vector<std::string>& lines);

    const std::string& Carry() const { return m_carry; }

private:
    std::string m_carry;
};

// The piece rule alone: trailing bytes <= ' ' removed, split at CR LF / CR / LF, a space
// appended to each line. An all-blank piece gives no line.
std::size_t SplitCapturedPiece(std::string_view piece, std::vector<std::string>& lines);
