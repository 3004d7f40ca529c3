// The search by document: typed texts as patterns, for an administrator and
// for a common user held to the accounts and types they may search.
#include "RetPesqFixture.h"

namespace {

class Pesquisa : public RetPesq {
protected:
    void SetUp() override {
        RetPesq::SetUp();
        plano();
        lancar("001", "003", QDate(2024, 1, 1), 100, "123");
        lancar("001.001", "003", QDate(2024, 1, 2), 200, "1A3");
        lancar("002", "003", QDate(2024, 1, 3), 300, "12X");
        lancar("001", "003.001", QDate(2024, 1, 4), 400, "123");
        lancar("001", "004", QDate(2024, 1, 5), -500, "123");
        lancar("001.001", "003", QDate(2024, 1, 6), 600, "O'BRIEN");
        lancar("001", "003", QDate(2024, 1, 7), 700, "ABC");
        db->Execute(u("INSERT INTO Usuarios (DesUsuario, IdLogin, Senha, Tipo) VALUES ('COMUM', 'COMUM', 'X', 2)"));
        comum = long(numero(u("SELECT Id FROM Usuarios WHERE IdLogin = 'COMUM'")));
        // Search on CAIXA (and so on CAIXA EMPRESA below it), and again on CAIXA
        // EMPRESA itself; SALARIO searchable (BONUS below it is not); MERCADO
        // only for posting; BANCO nothing.
        permissao(1, u("001"), 1);
        permissao(1, u("001.001"), 3);
        permissao(2, u("003"), 1);
        permissao(2, u("004"), 2);
    }
    void permissao(int tipoObjeto, const QString &codigo, int valor) {
        const QString tabela = tipoObjeto == 1 ? u("Contas") : u("TiposMovimentacoes");
        const long id = long(numero(u("SELECT Id FROM %1 WHERE Codigo = '%2'").arg(tabela, codigo)));
        db->Execute(u("INSERT INTO PermissoesDeUsuarios (IdUsuario, IdObjeto, TipoObjeto, Permissoes) VALUES (%1, %2, %3, %4)")
                        .arg(comum).arg(id).arg(tipoObjeto).arg(valor));
    }
    // The matches, as "document/account/type" in the order listed.
    QStringList achados(const QString &texto, long tipoUsuario) {
        const long id = tipoUsuario == 1 ? 1 : comum;
        auto rs = db->OpenRecordset(search::SqlPesquisaPorDocumento(texto, tipoUsuario, id), dao::dbOpenDynaset);
        QStringList out;
        for (; !rs->Eof(); rs->MoveNext())
            out << rs->Field(u("Documento")).toString() + u("/") + rs->Field(u("CodConta")).toString() + u("/") +
                       rs->Field(u("CodRecDesp")).toString();
        return out;
    }
    long comum = 0;
};

TEST_F(Pesquisa, TextosDigitadosComoPadroesParaAdministradorEUsuarioComum) {
    struct Caso {
        const char *texto;
        QStringList administrador, usuarioComum;
    };
    const Caso casos[] = {
        {"123", {u("123/001/003"), u("123/001/003.001"), u("123/001/004")}, {u("123/001/003")}},
        {"abc", {u("ABC/001/003")}, {u("ABC/001/003")}},
        {"12*", {u("123/001/003"), u("12X/002/003"), u("123/001/003.001"), u("123/001/004")}, {u("123/001/003")}},
        {"1?3", {u("123/001/003"), u("1A3/001.001/003"), u("123/001/003.001"), u("123/001/004")},
         {u("123/001/003"), u("1A3/001.001/003")}},
        {" 123", {}, {}},
        {"O'BRIEN", {u("O'BRIEN/001.001/003")}, {u("O'BRIEN/001.001/003")}},
        {"o'b*", {u("O'BRIEN/001.001/003")}, {u("O'BRIEN/001.001/003")}},
        {"*' OR L.Documento LIKE '*", {}, {}},
        {"'", {}, {}},
        {"1[A-Z]3", {u("1A3/001.001/003")}, {u("1A3/001.001/003")}},
    };
    for (const Caso &c : casos) {
        SCOPED_TRACE(c.texto);
        EXPECT_EQ(achados(u(c.texto), 1), c.administrador);
        EXPECT_EQ(achados(u(c.texto), 2), c.usuarioComum);
    }
}

TEST_F(Pesquisa, SoFazerLancamentosNaoDeixaAcharNada) {
    db->Execute(u("DELETE FROM PermissoesDeUsuarios"));
    permissao(1, u("001"), 2);
    permissao(2, u("003"), 2);
    EXPECT_EQ(achados(u("*"), 2), QStringList());
    permissao(1, u("002"), 3);
    EXPECT_EQ(achados(u("*"), 2), QStringList());
    permissao(2, u("003"), 1);
    EXPECT_EQ(achados(u("*"), 2), QStringList{u("12X/002/003")});
}

TEST_F(Pesquisa, AbreAJanelaNoModo5ComOsAchados) {
    search::frmRetPesq *f = search::AbrirPesquisaPorDocumento(&area, u("O'BRIEN"));
    janelas.emplace_back(f);
    ativar(f);
    ASSERT_TRUE(f->IsLoaded());
    EXPECT_EQ(f->Mode(), 5);
    EXPECT_EQ(f->windowTitle(), search::kTituloPesquisaPorDocumento);
    EXPECT_EQ(f->DBGrid1->Caption(), search::kTituloPesquisaPorDocumento);
    ASSERT_EQ(f->Recordset()->RecordCount(), 1);
    EXPECT_EQ(f->DBGrid1->view()->model()->index(0, 4).data().toString(), u("O'BRIEN"));
    EXPECT_EQ(f->DBGrid1->view()->model()->index(0, 2).data().toString(), u("CAIXA EMPRESA"));
    EXPECT_FALSE(f->picTop->isVisibleTo(f));
    EXPECT_FALSE(f->ColunaGlobalVisivel());
}

} // namespace
