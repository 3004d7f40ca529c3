#pragma once
// A book on disk, the signed-in user, and posting windows opened on it.
#include "ui/AppContext.h"
#include "db/ConstruirBanco.h"
#include "platform/dao/Database.h"
#include "platform/dao/Recordset.h"
#include "platform/ui/GuiTest.h"
#include "platform/widgets/ActiveText.h"
#include "platform/widgets/EditCombo.h"
#include "platform/widgets/FlexGrid.h"
#include "platform/widgets/UpperLineEdit.h"
#include "postings/frmLancamentos.h"
#include "support/Oracle.h"
#include "support/LivroNovo.h"

#include <QPointer>
#include <vector>

class Lancamentos : public testsupport::LivroNovo {
protected:
    void SetUp() override {
        LivroNovo::SetUp();
    }
    void TearDown() override {
        for (QPointer<postings::frmLancamentos> &f : janelas)
            if (f && f->IsLoaded()) f->Unload();
        EXPECT_EQ(testsupport::CheckBookText(*db).toStdString(), "");
        LivroNovo::TearDown();
    }
    long conta(const QString &codigo, const QString &des, bool inativa = false) {
        return item(QStringLiteral("Contas"), QStringLiteral("DesConta"), QStringLiteral("Inativa"), codigo, des, inativa);
    }
    long tipo(const QString &codigo, const QString &des, bool inativo = false) {
        return item(QStringLiteral("TiposMovimentacoes"), QStringLiteral("DesMovimentacao"), QStringLiteral("Inativo"),
                    codigo, des, inativo);
    }
    long item(const QString &tabela, const QString &campo, const QString &inativo, const QString &codigo,
              const QString &des, bool inat) {
        const QString pai = CodigoPai(codigo);
        db->Execute(QStringLiteral("INSERT INTO %1 (%2, Codigo, CodPai, %3) VALUES ('%4', '%5', '%6', %7)")
                        .arg(tabela, campo, inativo, des, codigo, pai, inat ? QStringLiteral("True") : QStringLiteral("False")));
        return long(numero(QStringLiteral("SELECT Id FROM %1 WHERE Codigo = '%2'").arg(tabela, codigo)));
    }
    // Two accounts (one with a child) and two types, as most tests need.
    void plano() {
        conta(QStringLiteral("001"), QStringLiteral("CAIXA"));
        conta(QStringLiteral("001.001"), QStringLiteral("CAIXA EMPRESA"));
        conta(QStringLiteral("002"), QStringLiteral("BANCO"));
        tipo(QStringLiteral("003"), QStringLiteral("SALARIO"));
        tipo(QStringLiteral("004"), QStringLiteral("MERCADO"));
    }
    qint64 numero(const QString &sql) {
        auto rs = db->OpenRecordset(sql, dao::dbOpenSnapshot);
        return rs->Eof() ? -1 : rs->Field(0).toInt();
    }
    QString texto(const QString &sql) {
        auto rs = db->OpenRecordset(sql, dao::dbOpenSnapshot);
        return rs->Eof() ? QString() : rs->Field(0).toString();
    }
    qint64 serial() { return numero(QStringLiteral("SELECT Serial FROM Serial")); }
    qint64 lancamentos() { return numero(QStringLiteral("SELECT COUNT(*) FROM Lancamentos")); }

    postings::frmLancamentos *abrir() {
        auto *f = new postings::frmLancamentos();
        f->setAttribute(Qt::WA_DeleteOnClose, false);
        f->Load();
        if (!f->IsLoaded()) return f;
        f->show();
        f->Activate();
        janelas.emplace_back(f);
        return f;
    }
    static void escolher(widgets::EditCombo *cb, const QString &des) {
        cb->setListIndex(cb->FindString(des));
    }
    static void preencher(postings::frmLancamentos *f, const QString &conta, const QString &tipo, const QString &data,
                          const QString &entrada, const QString &saida, const QString &hist,
                          const QString &doc = QString()) {
        if (!conta.isEmpty()) escolher(f->cbContas, conta);
        if (!tipo.isEmpty()) escolher(f->cbTiposMov, tipo);
        f->txtData->setText(data);
        f->txtEntrada->setValueText(entrada);
        f->txtSaida->setValueText(saida);
        f->txtHistorico->setText(hist);
        f->txtDoc->setText(doc);
    }
    std::vector<QPointer<postings::frmLancamentos>> janelas;
};
