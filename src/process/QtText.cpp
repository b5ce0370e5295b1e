#include "process/QtText.h"

QString ToQString(CodePage codePage, std::string_view text) {
    return QString::fromStdString(ProgramToUtf8(codePage, text));
}

std::string FromQString(CodePage codePage, const QString& text) {
    return Utf8ToProgram(codePage, text.toStdString());
}
