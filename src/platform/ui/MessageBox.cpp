#include "platform/ui/MessageBox.h"

#include "platform/app/Application.h"
#include "platform/ui/FileDialog.h"
#include "platform/ui/Modal.h"

#include <QAbstractButton>
#include <QPushButton>
#include <QCloseEvent>
#include <QKeyEvent>

namespace platform::ui {

std::vector<int> ButtonsOf(int style) {
    switch (style & 7) {
    case vbOKCancel: return {vbOK, vbCancel};
    case vbAbortRetryIgnore: return {vbAbort, vbRetry, vbIgnore};
    case vbYesNoCancel: return {vbYes, vbNo, vbCancel};
    case vbYesNo: return {vbYes, vbNo};
    case vbRetryCancel: return {vbRetry, vbCancel};
    default: return {vbOK};
    }
}

std::optional<int> EscapeAnswerOf(int style) {
    switch (style & 7) {
    case vbOKOnly: return vbOK;
    case vbYesNo:
    case vbAbortRetryIgnore: return std::nullopt;
    default: return vbCancel;
    }
}

int MessageBox(const QString &prompt, int style, const QString &caption) {
    ModalRequest r;
    r.kind = ModalKind::MessageBox;
    r.text = prompt;
    r.style = style;
    r.caption = caption.isEmpty() ? platform::App::Title() : caption;
    return RunModal(r).button;
}

QString InputBox(const QString &prompt, const QString &title, const QString &defaultText) {
    ModalRequest r;
    r.kind = ModalKind::InputBox;
    r.text = prompt;
    r.caption = title.isEmpty() ? platform::App::Title() : title;
    r.defaultText = defaultText;
    const ModalAnswer a = RunModal(r);
    return a.button == vbCancel ? QString() : a.text;
}

namespace {
QString captionOf(int code) {
    switch (code) {
    case vbOK: return QStringLiteral("OK");
    case vbCancel: return QStringLiteral("Cancelar");
    case vbAbort: return QStringLiteral("&Anular");
    case vbRetry: return QStringLiteral("&Repetir");
    case vbIgnore: return QStringLiteral("&Ignorar");
    case vbYes: return QStringLiteral("&Sim");
    case vbNo: return QStringLiteral("&Não");
    default: return QString();
    }
}
} // namespace

VbMessageBox::VbMessageBox(const QString &prompt, int style, const QString &caption, QWidget *parent)
    : QMessageBox(parent), style_(style) {
    setWindowTitle(caption.isEmpty() ? platform::App::Title() : caption);
    setText(prompt);
    switch (style & 0x70) {
    case vbCritical: setIcon(QMessageBox::Critical); break;
    case vbQuestion: setIcon(QMessageBox::Question); break;
    case vbExclamation: setIcon(QMessageBox::Warning); break;
    case vbInformation: setIcon(QMessageBox::Information); break;
    default: setIcon(QMessageBox::NoIcon); break;
    }
    const std::vector<int> codes = ButtonsOf(style);
    const std::optional<int> esc = EscapeAnswerOf(style);
    const std::size_t def = static_cast<std::size_t>((style & 0x300) >> 8);
    for (std::size_t i = 0; i < codes.size(); ++i) {
        const int code = codes[i];
        QPushButton *b = addButton(captionOf(code), QMessageBox::ActionRole);
        codes_.push_back({b, code});
        if (i == (def < codes.size() ? def : 0))
            setDefaultButton(b);
        if (esc && *esc == code)
            setEscapeButton(b);
    }
    if (!esc)
        setWindowFlags((windowFlags() | Qt::CustomizeWindowHint | Qt::WindowTitleHint) &
                       ~Qt::WindowCloseButtonHint);
}

void VbMessageBox::keyPressEvent(QKeyEvent *e) {
    if (e->key() == Qt::Key_Escape && !EscapeAnswerOf(style_)) {
        e->accept();
        return;
    }
    QMessageBox::keyPressEvent(e);
}

int VbMessageBox::answer() const {
    for (const auto &[b, code] : codes_)
        if (b == clickedButton())
            return code;
    return answer_;
}

void VbMessageBox::closeEvent(QCloseEvent *e) {
    if (!clickedButton() && answer_ == 0) {
        const std::optional<int> esc = EscapeAnswerOf(style_);
        if (!esc) {
            e->ignore();
            return;
        }
        answer_ = *esc;
    }
    QMessageBox::closeEvent(e);
}

void VbMessageBox::showEvent(QShowEvent *e) {
    // The box takes its size only as it shows.
    QMessageBox::showEvent(e);
    CenterOnMainWindow(this);
}

} // namespace platform::ui
