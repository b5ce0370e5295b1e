#pragma once

#include <QFont>
#include <QString>
#include <QWidget>
#include <initializer_list>

// Small helpers shared by the windows.

// Gives an object its name (the name the rest of the program and the tests find it by).
template <typename T>
T* Named(T* object, const char* name) {
    object->setObjectName(QString::fromLatin1(name));
    return object;
}

// A font of `pixels` pixels, as the windows' fixed sizes were laid out; fixedPitch for output views.
inline QFont PixelFont(const QString& family, int pixels, bool fixedPitch) {
    QFont font(family);
    font.setPixelSize(pixels);
    if (fixedPitch) {
        font.setStyleHint(QFont::TypeWriter);
        font.setFixedPitch(true);
    }
    return font;
}

// Boxes that hold patterns, paths and command lines: the IPA fonts draw the backslash as a yen
// sign, which makes a regular expression or a Windows path unreadable. Their Latin text takes a
// font that draws it as it is; Japanese falls back to the IPA font. Only the families are set,
// so the size stays the window's.
inline void ShowBackslashes(std::initializer_list<QWidget*> boxes) {
    QFont font;
    font.setFamilies({QStringLiteral("DejaVu Sans Mono"), QStringLiteral("IPAGothic")});
    for (QWidget* box : boxes) box->setFont(font);
}

// Suspends a widget's repainting for one scope.
class UpdatesSuspended {
public:
    explicit UpdatesSuspended(QWidget* widget) : m_widget(widget), m_was(widget->updatesEnabled()) {
        m_widget->setUpdatesEnabled(false);
    }
    ~UpdatesSuspended() { m_widget->setUpdatesEnabled(m_was); }
    UpdatesSuspended(const UpdatesSuspended&) = delete;
    UpdatesSuspended& operator=(const UpdatesSuspended&) = delete;

private:
    QWidget* m_widget;
    bool m_was;
};
