#include "process/CaptureSplitter.h"

std::size_t SplitCapturedPiece(std::string_view piece, std::vector<std::string>& lines) {
    std::size_t end = piece.size();
    while (end > 0 && static_cast<unsigned char>(piece[end - 1]) <= ' ') --end;
    if (end == 0) return 0;

    const std::size_t before = lines.size();
    std::size_t start = 0;
    for (std::size_t i = 0; i <= end; ++i) {
        if (i < end && piece[i] != '\r' && piece[i] != '\n') continue;
        std::string line;
        line.reserve(i - start + 1);
        line.append(piece.substr(start, i - start));
        line.push_back(' ');
        lines.push_back(std::move(line));
        if (i < end && piece[i] == '\r' && i + 1 < end && piece[i + 1] == '\n') ++i;
        start = i + 1;
    }
    return lines.size() - before;
}

std::size_t CaptureSplitter::Feed(std::string_view chunk, std::vector<std::string>& lines) {
    if (const std::size_t zero = chunk.find('\0'); zero != std::string_view::npos)
        chunk = chunk.substr(0, zero);
    const std::size_t lastLf = chunk.rfind('\n');
    if (lastLf == std::string_view::npos) {
        m_carry.append(chunk);
        return 0;
    }
    std::size_t count;
    if (m_carry.empty()) {
        count = SplitCapturedPiece(chunk.substr(0, lastLf + 1), lines);
    } else {
        m_carry.append(chunk.substr(0, lastLf + 1));
        count = SplitCapturedPiece(m_carry, lines);
    }
    m_carry.assign(chunk.substr(lastLf + 1));
    return count;
}

std::size_t CaptureSplitter::Finish(std::vector<std::string>& lines) {
    const std::size_t count = SplitCapturedPiece(m_carry, lines);
    m_carry.clear();
    return count;
}
