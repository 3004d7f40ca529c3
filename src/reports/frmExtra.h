#pragma once
// The selection dialogs of the statements and balances: frmExtraCon
// (accounts; report Modes 1, 3 and 6) and frmExtraRec (income/expense types;
// Modes 2, 4 and 7). Each holds the tree of the items the signed-in user may
// read, marked by single clicks, a period, a history filter and three check
// boxes. The launcher creates one, sets Mode (which lays it out), shows it
// modally and reads the public values after it closed; it goes on only when
// Cancelada is false.
#include "platform/ui/Form.h"
#include "ui/SubCls.h"

#include <QDate>
#include <QString>
#include <memory>

class QLabel;
class QPushButton;

namespace widgets {
class CheckBox;
class CheckLabel;
class DateBox;
class ImageList;
class Node;
class TreeView;
class UpperLineEdit;
} // namespace widgets

namespace core::permissoes {
class CPermissao;
class CPermissoes;
} // namespace core::permissoes

namespace reports {

class frmExtra : public platform::ui::Form, public ui::INodeClickReceiver {
    Q_OBJECT
public:
    ~frmExtra() override;

    // Public values, readable after the dialog closed.
    bool Cancelada = true;
    QDate DataIni, DataFim;
    QString retCaption;
    bool SoNaoRealizados = false;
    bool BalSemSubs = false;
    bool ComSubItens = false;
    QString Historico;

    long Mode() const { return mode_; }
    // Stores the Mode and lays the dialog out for it.
    void setMode(long mode);

    // True for the type dialog.
    bool DeTipos() const { return deTipos_; }

    widgets::TreeView *tv = nullptr;
    widgets::CheckBox *ckSubItens = nullptr;
    widgets::CheckLabel *lblSubItens = nullptr;
    widgets::CheckBox *ckBalSemSubs = nullptr;
    widgets::CheckLabel *lblBalSemSubs = nullptr;
    widgets::CheckBox *ckNaoRealizados = nullptr;
    widgets::CheckLabel *lblNaoRealizados = nullptr;
    QLabel *lblHistoricos = nullptr;
    widgets::UpperLineEdit *txtHistoricos = nullptr;
    QLabel *lblDataIni = nullptr;
    widgets::DateBox *txtDataIni = nullptr;
    QLabel *lblDataFim = nullptr;
    widgets::DateBox *txtDataFim = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;

    void cmdOK_Click();
    void cmdCancel_Click();
    bool Validar();
    bool ValidarPesqSaldos();

    // Height of the window in twips, title bar and borders included.
    int AlturaTwips() const;

    // The tree's click: marks or unmarks a node on the second call, the one
    // the deferred message makes.
    void tv_NodeClick(widgets::Node *node);
    void tv_NodeClick(QTreeWidgetItem *node) override;
    void tv_DblClick();
    // Number of marked nodes.
    long Marcados() const { return marcados_; }

    // The items the user may read, first level at the top and every deeper
    // item in its parent's SubItens; the marked ones have Selecionada set.
    // Readable until the dialog object is released.
    core::permissoes::CPermissoes &ContasSel();

protected:
    frmExtra(bool deTipos, QWidget *parent);
    void Form_Load() override;
    void Form_Unload(bool &cancel) override;

private:
    void ajustarAltura(int twips);
    QString img(bool marcado) const;
    void CarregarItens();

    bool deTipos_;
    long mode_ = 0;
    bool executando_ = false; // cmdOK_Click is running
    long marcados_ = 0;
    bool ignorarProximo_ = false;
    bool postado_ = false;
    std::unique_ptr<widgets::ImageList> imagens_;
    // Holds the item collection as its SubItens, so that a node's tag finds
    // its item through the whole tree.
    std::shared_ptr<core::permissoes::CPermissao> raiz_;
};

class frmExtraCon : public frmExtra {
    Q_OBJECT
public:
    explicit frmExtraCon(QWidget *parent = nullptr);
};

class frmExtraRec : public frmExtra {
    Q_OBJECT
public:
    explicit frmExtraRec(QWidget *parent = nullptr);
};

// Creates the dialog the Mode asks for (types for Modes 2, 4 and 7, accounts
// otherwise), shows it modally and gives it back closed, its values readable.
std::unique_ptr<frmExtra> MostrarSelecao(long mode);

} // namespace reports
