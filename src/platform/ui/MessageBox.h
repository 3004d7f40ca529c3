#pragma once
// Message box and input box with the styles and answer codes the program uses.
#include <QFont>
#include <QFontMetrics>
#include <QMessageBox>
#include <QString>
#include <optional>
#include <utility>
#include <vector>

namespace platform::ui {

// Buttons (style & 7).
constexpr int vbOKOnly = 0;
constexpr int vbOKCancel = 1;
constexpr int vbAbortRetryIgnore = 2;
constexpr int vbYesNoCancel = 3;
constexpr int vbYesNo = 4;
constexpr int vbRetryCancel = 5;
// Icons (style & 0x70).
constexpr int vbCritical = 16;
constexpr int vbQuestion = 32;
constexpr int vbExclamation = 48;
constexpr int vbInformation = 64;
// Default button (style & 0x300).
constexpr int vbDefaultButton2 = 256;
constexpr int vbDefaultButton3 = 512;
// Answers.
constexpr int vbOK = 1;
constexpr int vbCancel = 2;
constexpr int vbAbort = 3;
constexpr int vbRetry = 4;
constexpr int vbIgnore = 5;
constexpr int vbYes = 6;
constexpr int vbNo = 7;

// Shows a message box through the modal seam and returns the code of the
// button pressed. An empty caption stands for the application's title.
int MessageBox(const QString &prompt, int style = vbOKOnly, const QString &caption = QString());

// Input box: the text typed, or "" when cancelled. An empty title stands for
// the application's title.
QString InputBox(const QString &prompt, const QString &title = QString(),
                 const QString &defaultText = QString());

// The text broken into lines at blanks only (never inside a word such as
// "dd/mm/aaaa"), each line at most `largura` pixels in that font where its
// words allow; line breaks already in the text stay.
QString QuebrarNosEspacos(const QString &texto, const QFontMetrics &fm, int largura);

// The width a window needs for its caption to show whole in a title bar
// drawn in that font, with the bar's icon and buttons.
int LarguraParaOTitulo(const QString &titulo, const QFont &fonte);

// The answer codes the buttons of a style offer, in order.
std::vector<int> ButtonsOf(int style);
// What Esc or the close box answers; nothing when the box cannot be
// dismissed that way (Yes/No and Abort/Retry/Ignore).
std::optional<int> EscapeAnswerOf(int style);

// The real message box: buttons, icon and default button from the style;
// Esc and the close box follow EscapeAnswerOf. It is wide enough for its
// caption, and its text, plain, wraps at blanks only.
class VbMessageBox : public QMessageBox {
public:
    VbMessageBox(const QString &prompt, int style, const QString &caption, QWidget *parent = nullptr);
    // The code of the button pressed, 0 while unanswered.
    int answer() const;

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    void showEvent(QShowEvent *e) override;

private:
    QString prompt_;
    int style_;
    int answer_ = 0;
    std::vector<std::pair<QAbstractButton *, int>> codes_;
};

} // namespace platform::ui
