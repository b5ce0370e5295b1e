#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

// A pair of arrow buttons that steps the number in an edit beside it, within a range. The edit
// keeps whatever is typed into it; a step starts from the number it holds (0 when it holds
// none). The Up and Down keys in the edit step as well.
class UpDown final : public QWidget {
public:
    UpDown(QLineEdit* buddy, int minimum, int maximum, QWidget* parent = nullptr);

    void Step(int by);

    QToolButton* btnUp = nullptr;
    QToolButton* btnDown = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* m_buddy;
    int m_minimum;
    int m_maximum;
};

// Centres a dialog over the window of its parent widget, when it has one.
void CentreOverParent(QWidget* dialog);
