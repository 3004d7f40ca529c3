#include "ui/Impressao.h"

#include "ui/Errors.h"
#include "ui/MsgBox.h"
#include "platform/app/Application.h"

#include <cmath>

namespace fin {
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
} // namespace

PaginaDeCorpo IniciarPaginaDeCorpo(print::Printer &p, long paginasFeitas, const std::function<void()> &cabecalho,
                                   float alturaLinha, float reservaInferior) {
    if (paginasFeitas > 0) {
        try {
            p.NewPage();
        } catch (...) {
        }
    }
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
    const auto imprimirEm = [&](double x, const QString &texto) {
        p.setCurrentX(x);
        p.setCurrentY(topo);
        p.Print(texto);
    };
    p.setFontName(QStringLiteral("Times New Roman"));
    p.setFontSize(8);
    p.setFontBold(false);
    imprimirEm(xNumero, QString::number(pagina));
    p.setFontSize(12);
    p.setFontBold(true);
    p.setFontUnderline(true);
    imprimirEm((p.Width() - p.TextWidth(titulo)) / 2 - double(offsetX), titulo);
    p.setFontUnderline(false);
    p.setFontSize(8);
    p.setFontBold(false);
    const QString quando = hora.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
    imprimirEm(p.ScaleWidth() - p.TextWidth(quando) - 200, quando);
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

void CancelarImpressao(print::Printer &impressora) {
    try {
        impressora.KillDoc();
    } catch (...) {
    }
}

} // namespace fin
