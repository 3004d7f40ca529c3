#include "ui/Impressao.h"

#include "ui/Errors.h"
#include "ui/MsgBox.h"
#include "platform/app/Application.h"

#include <algorithm>
#include <cmath>

namespace ui {
namespace {
QString trimBlanks(const QString &s) {
    qsizetype b = 0, e = s.size();
    while (b < e && s[b] == QLatin1Char(' '))
        ++b;
    while (e > b && s[e - 1] == QLatin1Char(' '))
        --e;
    return s.mid(b, e - b);
}
double width(const QString &s, float charWidth) { return double(s.size()) * double(charWidth); }

// The text in lines no wider than `largura` as `medir` measures them, broken
// at blanks; a word wider than a line is broken where the line ends. A text
// that fits is returned unchanged.
QStringList partirEmLinhas(const QString &texto, double largura, const std::function<double(const QString &)> &medir) {
    if (medir(texto) <= largura) return {texto};
    QStringList linhas;
    QString linha;
    const auto fechar = [&] {
        if (!linha.isEmpty()) linhas << linha;
        linha.clear();
    };
    for (QString palavra : texto.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        while (medir(palavra) > largura) {
            fechar();
            qsizetype n = 1;
            while (n < palavra.size() && medir(palavra.left(n + 1)) <= largura) ++n;
            linhas << palavra.left(n);
            palavra = palavra.mid(n);
        }
        if (palavra.isEmpty()) continue;
        const QString junta = linha.isEmpty() ? palavra : linha + QLatin1Char(' ') + palavra;
        if (medir(junta) <= largura) {
            linha = junta;
        } else {
            fechar();
            linha = palavra;
        }
    }
    fechar();
    if (linhas.isEmpty()) linhas << QString();
    return linhas;
}
} // namespace

PaginaDeCorpo IniciarPaginaDeCorpo(print::Printer &p, long paginasFeitas, const std::function<void()> &cabecalho,
                                   float alturaLinha, float reservaInferior) {
    // A page that cannot be started ends the job with the printer's error:
    // going on would print the next page over the last one.
    if (paginasFeitas > 0) p.NewPage();
    cabecalho();
    PaginaDeCorpo c;
    c.linhas = IniciarCorpo(p, alturaLinha, reservaInferior) - 1;
    c.topo = p.CurrentY();
    if (c.linhas < 1) PararPaginaPequena();
    return c;
}

long IniciarCorpo(print::Printer &p, float alturaLinha, double reservaInferior) {
    p.setFontName(QStringLiteral("Courier New"));
    p.setFontSize(8);
    p.setFontBold(false);
    p.setFontUnderline(false);
    p.setCurrentY(p.CurrentY() + 100);
    return CalculaLimiteDeLinhas(alturaLinha, float(p.ScaleHeight() - p.CurrentY() - reservaInferior));
}

bool CabeNaPagina(const print::Printer &p, double yPe, double reservaInferior) {
    return yPe <= p.ScaleHeight() - reservaInferior;
}

void PararPaginaPequena() {
    MsgBox(kMsgPaginaPequena, platform::ui::vbInformation, platform::App::Title());
    throw err::AppError(err::kErrCancel, QString(), QString());
}

void ConfigurarImpressora(long &offsetX, long &offsetY, long orientacao, print::Printer &impressora) {
    try {
        impressora.setPaperSize(print::vbPRPSA4);
        impressora.setOrientation(static_cast<short>(orientacao));
        offsetX = std::lrint(impressora.PhysicalOffsetX() * impressora.TwipsPerPixelX());
        offsetY = std::lrint(impressora.PhysicalOffsetY() * impressora.TwipsPerPixelY());
    } catch (...) {
        FIN_TRAP_RERAISE("Module1", "ConfigurarImpressora");
    }
}

FolhaDeRelatorio PrepararFolha(print::Printer &p, long orientacao, long alturaDoCabecalho) {
    FolhaDeRelatorio f;
    long faixaSuperior = 0;
    ConfigurarImpressora(f.offsetX, faixaSuperior, orientacao, p);
    const double faixaInferior = p.Height() - (p.ScaleHeight() + double(faixaSuperior));
    f.reservaInferior = faixaInferior <= 900 ? 900 : 0;
    f.topo = faixaSuperior < alturaDoCabecalho ? alturaDoCabecalho - faixaSuperior : 0;
    p.setFontName(QStringLiteral("Courier New"));
    p.setFontSize(8);
    p.setFontBold(false);
    p.setFontUnderline(false);
    f.larguraCaractere = p.TextWidth(QStringLiteral("A"));
    f.alturaCaractere = p.TextHeight(QStringLiteral("A"));
    return f;
}

void ImprimirTopoDaPagina(print::Printer &p, double topo, double xNumero, long pagina, const QString &titulo,
                          long offsetX, const QDateTime &hora) {
    const auto imprimirEm = [&](double x, double y, const QString &texto) {
        p.setCurrentX(x);
        p.setCurrentY(y);
        p.Print(texto);
    };
    p.setFontName(QStringLiteral("Times New Roman"));
    p.setFontSize(8);
    p.setFontBold(false);
    p.setFontUnderline(false);
    const QString numero = QString::number(pagina);
    const QString quando = hora.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
    const double fimDoNumero = xNumero + p.TextWidth(numero);
    const double inicioDaHora = p.ScaleWidth() - p.TextWidth(quando) - 200;
    const double alturaPequena = p.TextHeight(quando);
    imprimirEm(xNumero, topo, numero);
    p.setFontSize(12);
    p.setFontBold(true);
    p.setFontUnderline(true);
    // The title is centred on the sheet; a line keeps two blanks of its font
    // clear of the page number and of the time on either side.
    const double centro = p.Width() / 2 - double(offsetX);
    const double meiaLargura = std::min(centro - fimDoNumero, inicioDaHora - centro) - p.TextWidth(QStringLiteral("  "));
    const QStringList linhas = partirEmLinhas(titulo, std::max(2 * meiaLargura, p.TextWidth(QStringLiteral("W"))),
                                              [&](const QString &t) { return p.TextWidth(t); });
    const double alturaTitulo = p.TextHeight(titulo);
    for (qsizetype k = 0; k < linhas.size(); ++k)
        imprimirEm((p.Width() - p.TextWidth(linhas[k])) / 2 - double(offsetX), topo + double(k) * alturaTitulo, linhas[k]);
    p.setFontUnderline(false);
    p.setFontSize(8);
    p.setFontBold(false);
    imprimirEm(inicioDaHora, topo, quando);
    // What follows starts below the title's further lines.
    p.setCurrentY(topo + alturaPequena + double(linhas.size() - 1) * alturaTitulo);
    p.setFontBold(true);
}

long CalculaLimiteDeLinhas(float alturaLinha, float area) {
    try {
        if (alturaLinha == 0.0f)
            throw err::AppError(11, QStringLiteral("Module1"), QStringLiteral("Divisão por zero"));
        return static_cast<long>(std::floor(double(area) / double(alturaLinha))) - 1;
    } catch (...) {
        FIN_TRAP_RERAISE("Module1", "CalculaLimiteDeLinhas");
    }
}

QStringList QuebraLinha(const QString &texto, float larguraCampo, float larguraCaractere) {
    try {
        if (width(texto, larguraCaractere) <= double(larguraCampo))
            return {texto};
        const QStringList palavras = texto.split(QLatin1Char(' '));
        QStringList linhas{QString()};
        QString linha, anterior;
        for (qsizetype i = 0; i < palavras.size(); ++i) {
            const QString &palavra = palavras[i];
            if (width(palavra, larguraCaractere) > double(larguraCampo)) {
                MsgBox(QStringLiteral("Largura de palavra maior que a largura do campo de impressão na linha."),
                       platform::ui::vbInformation, platform::App::Title());
                throw err::AppError(err::kErrCancel, QString(), QString());
            }
            anterior = linha;
            linha += palavra + QLatin1Char(' ');
            if (width(trimBlanks(linha), larguraCaractere) > double(larguraCampo)) {
                linhas.last() = trimBlanks(anterior);
                linhas.append(QString());
                if (i != palavras.size() - 1)
                    linha = palavra + QLatin1Char(' ');
                else
                    linhas.last() = palavra;
            } else {
                linhas.last() = trimBlanks(linha);
            }
        }
        return linhas;
    } catch (...) {
        FIN_TRAP_RERAISE("Module1", "QuebraLinha");
    }
}

void ImprimirADireita(print::Printer &impressora, const QString &texto, double xFim, double y) {
    impressora.setCurrentX(xFim - impressora.TextWidth(texto));
    impressora.setCurrentY(y);
    impressora.Print(texto);
}

void ImprimirValor(print::Printer &impressora, const QString &texto, double xFim, double y, double larguraCampo) {
    if (impressora.TextWidth(texto) <= larguraCampo) {
        ImprimirADireita(impressora, texto, xFim, y);
        return;
    }
    const double tamanho = impressora.FontSize();
    const double altura = impressora.TextHeight(texto), base = impressora.TextAscent();
    // The largest size, in tenths of a point, at which the whole text fits.
    double menor = std::floor(tamanho * larguraCampo / impressora.TextWidth(texto) * 10) / 10;
    impressora.setFontSize(menor);
    while (menor > 1 && impressora.TextWidth(texto) > larguraCampo) impressora.setFontSize(menor -= 0.1);
    // On the line's baseline, like its neighbours.
    ImprimirADireita(impressora, texto, xFim, y + base - impressora.TextAscent());
    impressora.setFontSize(tamanho);
    impressora.setCurrentY(y + altura);
}

QStringList QuebraNaColuna(const QString &texto, int caracteres) {
    return partirEmLinhas(texto, caracteres, [](const QString &t) { return double(t.size()); });
}

void CancelarImpressao(print::Printer &impressora) {
    try {
        impressora.KillDoc();
    } catch (...) {
    }
}

} // namespace ui
