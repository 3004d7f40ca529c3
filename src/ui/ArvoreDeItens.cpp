#include "ui/ArvoreDeItens.h"

#include "db/Schema.h"
#include "platform/ui/Form.h"
#include "platform/widgets/TreeView.h"
#include "ui/ErrorTrap.h"

#include <QPainter>
#include <QPixmap>
#include <cmath>
#include <numbers>

namespace ui {

namespace {

const QString kRaiz = QStringLiteral("_000");

// The type name of the window that holds the tree.
QString janelaDe(const widgets::TreeView &tv) {
    for (QWidget *w = tv.parentWidget(); w; w = w->parentWidget())
        if (qobject_cast<platform::ui::Form *>(w)) return w->objectName();
    return QString();
}

QPixmap desenhar(long valor) {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    switch (valor) {
    case db::kPermNenhuma:
        // A closed padlock, grey.
        p.setPen(QPen(QColor(110, 110, 110), 1.6));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(4.5, 1.5, 7, 8), 0, 180 * 16);
        p.drawLine(QPointF(4.5, 5.5), QPointF(4.5, 7.5));
        p.drawLine(QPointF(11.5, 5.5), QPointF(11.5, 7.5));
        p.setPen(QPen(QColor(90, 90, 90), 1));
        p.setBrush(QColor(170, 170, 170));
        p.drawRoundedRect(QRectF(2.5, 7.5, 11, 7), 1.5, 1.5);
        break;
    case db::kPermPesquisa:
        // A magnifying glass: reading only.
        p.setPen(QPen(QColor(30, 90, 180), 2));
        p.setBrush(QColor(200, 225, 255));
        p.drawEllipse(QRectF(2, 2, 8, 8));
        p.drawLine(QPointF(9, 9), QPointF(14, 14));
        break;
    case db::kPermLancamentos:
        // A pencil: writing.
        p.setPen(QPen(QColor(30, 120, 40), 1));
        p.setBrush(QColor(80, 180, 70));
        {
            const QPointF corpo[4] = {QPointF(11, 1.5), QPointF(14.5, 5), QPointF(6, 13.5), QPointF(2.5, 10)};
            p.drawPolygon(corpo, 4);
        }
        p.setBrush(QColor(240, 220, 170));
        {
            const QPointF ponta[3] = {QPointF(2.5, 10), QPointF(6, 13.5), QPointF(1.5, 14.5)};
            p.drawPolygon(ponta, 3);
        }
        break;
    default:
        // A gold star: everything.
        p.setPen(QPen(QColor(170, 120, 0), 1));
        p.setBrush(QColor(250, 200, 30));
        {
            QPolygonF estrela;
            for (int i = 0; i < 10; ++i) {
                const double r = i % 2 ? 3.0 : 7.0;
                const double a = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
                estrela << QPointF(8 + r * std::cos(a), 8.5 + r * std::sin(a));
            }
            p.drawPolygon(estrela);
        }
        break;
    }
    return pm;
}

widgets::Node *adicionar(widgets::TreeView &tv, const ItemDaArvore &item, const QString &codPai, const QString &imagem) {
    widgets::Node *no = codPai.isEmpty()
                            ? tv.Add(QString(), widgets::tvwLast, QStringLiteral("_") + item.codigo, item.descricao, imagem, imagem)
                            : tv.Add(QStringLiteral("_") + codPai, widgets::tvwChild, QStringLiteral("_") + item.codigo,
                                     item.descricao, imagem, imagem);
    no->setSorted(true);
    no->setExpandedImage(imagem);
    no->setTag(QString::number(item.tag));
    return no;
}

// Both loaders: the picture of an item below the top comes from `imagemDe`.
template <typename F>
void carregar(widgets::TreeView &tv, const ItemDaArvore &item, const QString &codPai, const QString &imagemDoPlano,
              F imagemDe) {
    widgets::Node *no = adicionar(tv, item, codPai, codPai.isEmpty() ? imagemDoPlano : imagemDe(item));
    for (const ItemDaArvore &sub : item.subItens) carregar(tv, sub, item.codigo, imagemDoPlano, imagemDe);
    if (no->Key() == kRaiz) {
        no->setExpanded(true);
        no->setSelected(true);
    }
}

} // namespace

QString ImagemDePermissao(long valor) {
    switch (valor) {
    case db::kPermNenhuma: return QStringLiteral("IMG_SEMPERM");
    case db::kPermPesquisa: return QStringLiteral("IMG_PERMEXTRATOS");
    case db::kPermLancamentos: return QStringLiteral("IMG_PERMLANCAMENTOS");
    case db::kPermTodas: return QStringLiteral("IMG_PERMTUDO");
    default: return QString();
    }
}

QStringList ChavesDePermissao() {
    return {QStringLiteral("IMG_SEMPERM"), QStringLiteral("IMG_PERMEXTRATOS"), QStringLiteral("IMG_PERMLANCAMENTOS"),
            QStringLiteral("IMG_PERMTUDO")};
}

QIcon IconeDePermissao(const QString &chave) {
    const long valor = ChavesDePermissao().indexOf(chave);
    return valor < 0 ? QIcon() : QIcon(desenhar(valor));
}

void AdicionarImagensDePermissao(widgets::ImageList &lista) {
    for (const QString &k : ChavesDePermissao()) lista.Add(k, IconeDePermissao(k));
}

void CarregarNaArvoreDePermissoes(widgets::TreeView &tv, const ItemDaArvore &item, const QString &codPai) {
    try {
        const QString plano = janelaDe(tv) == QStringLiteral("frmPermMov") ? QStringLiteral("IMG_RECDESP")
                                                                          : QStringLiteral("IMG_CONTA");
        carregar(tv, item, codPai, plano, [](const ItemDaArvore &i) { return ImagemDePermissao(i.permissao); });
    } catch (...) {
        FIN_TRAP_RERAISE("Module1", "CarregarNaArvoreDePermissoes");
    }
}

void CarregarNaArvoreDePesquisa(widgets::TreeView &tv, const ItemDaArvore &item, const QString &codPai) {
    try {
        const QString plano = janelaDe(tv) == QStringLiteral("frmExtraRec") ? QStringLiteral("IMG_RECDESP")
                                                                           : QStringLiteral("IMG_CONTA");
        carregar(tv, item, codPai, plano, [&plano](const ItemDaArvore &) { return plano; });
    } catch (...) {
        FIN_TRAP_RERAISE("Module1", "CarregarNaArvoreDePesquisa");
    }
}

void UpdateNodeIcons(widgets::Node &node, const QString &chave) {
    try {
        node.setImage(chave);
        node.setSelectedImage(chave);
        node.setExpandedImage(chave);
        for (widgets::Node *filho : node.ChildList()) UpdateNodeIcons(*filho, chave);
    } catch (...) {
        FIN_TRAP_RERAISE("Module1", "UpdateNodeIcons");
    }
}

} // namespace ui
