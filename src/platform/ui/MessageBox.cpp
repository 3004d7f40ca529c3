#include "platform/ui/MessageBox.h"

#include "platform/app/Application.h"
#include "platform/ui/FileDialog.h"
#include "platform/ui/Modal.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStringList>
#include <algorithm>

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

QString QuebrarNosEspacos(const QString &texto, const QFontMetrics &fm, int largura) {
    QStringList linhas;
    QString t = texto;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    for (const QString &paragrafo : t.split(QLatin1Char('\n'))) {
        QString linha;
        bool primeira = true;
        for (const QString &palavra : paragrafo.split(QLatin1Char(' '))) {
            if (primeira) {
                linha = palavra;
                primeira = false;
                continue;
            }
            const QString junta = linha + QLatin1Char(' ') + palavra;
            if (fm.horizontalAdvance(junta) <= largura || linha.trimmed().isEmpty()) {
                linha = junta;
            } else {
                linhas << linha;
                linha = palavra;
            }
        }
        linhas << linha;
    }
    return linhas.join(QLatin1Char('\n'));
}

int LarguraParaOTitulo(const QString &titulo, const QFont &fonte) {
    // Title bars draw the caption in a bold face, beside the window's icon
    // and its minimise, maximise and close buttons.
    QFont negrito = fonte;
    negrito.setBold(true);
    constexpr int kIconeEBotoes = 4 * 28 + 2 * 12;
    return QFontMetrics(negrito).horizontalAdvance(titulo) + kIconeEBotoes;
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
    : QMessageBox(parent), prompt_(prompt), style_(style) {
    setWindowTitle(caption.isEmpty() ? platform::App::Title() : caption);
    // A message is plain text: a "<" in it is a character like any other.
    setTextFormat(Qt::PlainText);
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
    // Lines broken at blanks, no wider than the box would wrap them: the box
    // then has no reason to break a line elsewhere (inside "dd/mm/aaaa").
    if (auto *rotulo = findChild<QLabel *>(QStringLiteral("qt_msgbox_label"))) {
        const QScreen *tela = screen() ? screen() : QGuiApplication::primaryScreen();
        const int limite = tela ? std::min(tela->availableGeometry().width() / 2, 500) : 500;
        constexpr int kIconeEMargens = 100;
        setText(QuebrarNosEspacos(prompt_, QFontMetrics(rotulo->font()), limite - kIconeEMargens));
    }
    // Wide enough for the caption: the buttons' row is the box's full width.
    if (auto *botoes = findChild<QDialogButtonBox *>()) {
        int margens = 0;
        if (layout()) {
            const QMargins m = layout()->contentsMargins();
            margens = m.left() + m.right();
        }
        botoes->setMinimumWidth(std::max(0, LarguraParaOTitulo(windowTitle(), font()) - margens));
    }
    // The box takes its size only as it shows.
    QMessageBox::showEvent(e);
    CenterOnMainWindow(this);
}

} // namespace platform::ui
