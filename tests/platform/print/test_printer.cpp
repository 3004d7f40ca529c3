#include "platform/print/QtPrinter.h"
#include "platform/print/RecordingPrinter.h"
#include "platform/ui/GuiTest.h"
#include "support/ErrorOf.h"

#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QPrinter>
#include <QTemporaryDir>

using print::PrintOp;
using print::RecordingPrinter;

class PrinterTest : public ::testing::Test {
protected:
    void SetUp() override { testsupport::qtApp(); }
};

TEST_F(PrinterTest, PrintWritesAtTheCurrentPositionThenMovesOneLineDownToTheLeftEdge) {
    RecordingPrinter p;
    p.setFontName("Courier New");
    p.setFontSize(8);
    p.setCurrentX(500);
    p.setCurrentY(1000);
    p.Print("LINHA 1");
    const double h = p.TextHeight("A");
    EXPECT_DOUBLE_EQ(p.CurrentX(), 0);
    EXPECT_DOUBLE_EQ(p.CurrentY(), 1000 + h);
    p.Print("LINHA 2");
    ASSERT_EQ(p.ops().size(), 2u);
    EXPECT_EQ(p.ops()[0].x, 500);
    EXPECT_EQ(p.ops()[0].y, 1000);
    EXPECT_EQ(p.ops()[1].x, 0);
    EXPECT_EQ(p.ops()[1].y, 1000 + h);
    EXPECT_EQ(p.ops()[1].font, QStringLiteral("Courier New"));
}

TEST_F(PrinterTest, FontsOfTheReportsMapToMetricCompatibleFaces) {
    EXPECT_EQ(print::Printer::FaceFor("Courier New"), QStringLiteral("Liberation Mono"));
    EXPECT_EQ(print::Printer::FaceFor("Times New Roman"), QStringLiteral("Liberation Serif"));
    EXPECT_EQ(print::Printer::FaceFor("Arial"), QStringLiteral("Liberation Sans"));
    EXPECT_TRUE(QFontDatabase::families().contains(QStringLiteral("Liberation Mono")))
        << "the fonts-liberation package is needed for printing";
}

TEST_F(PrinterTest, CourierIsFixedPitchAndMeasuredInTwips) {
    RecordingPrinter p;
    p.setFontName("Courier New");
    p.setFontSize(8);
    const double a = p.TextWidth("A");
    // Courier New advances 0.6 em: 8 points = 160 twips, so 96 twips a character.
    EXPECT_NEAR(a, 96.0, 1.0);
    EXPECT_NEAR(p.TextWidth("iWiW"), 4 * a, 0.01);
    p.setFontSize(16);
    EXPECT_NEAR(p.TextWidth("A"), 2 * a, 0.5);
    p.setFontName("Times New Roman");
    p.setFontSize(12);
    p.setFontBold(true);
    EXPECT_LT(p.TextWidth("iiii"), p.TextWidth("WWWW")); // proportional
}

TEST_F(PrinterTest, SheetAndPrintableAreaFollowPaperAndOrientation) {
    RecordingPrinter::Device d;
    d.twipsPerPixel = 2.4;
    d.leftPx = 100;
    d.topPx = 50;
    d.rightPx = 100;
    d.bottomPx = 150;
    RecordingPrinter p(d);
    p.setPaperSize(print::vbPRPSA4);
    p.setOrientation(print::vbPRORPortrait);
    EXPECT_EQ(p.Width(), 11906);
    EXPECT_EQ(p.Height(), 16838);
    EXPECT_EQ(p.ScaleWidth(), 11906 - 200 * 2.4);
    EXPECT_EQ(p.ScaleHeight(), 16838 - 200 * 2.4);
    EXPECT_EQ(p.PhysicalOffsetX(), 100);
    EXPECT_EQ(p.PhysicalOffsetY(), 50);
    p.setOrientation(print::vbPRORLandscape);
    EXPECT_EQ(p.Width(), 16838);
    EXPECT_EQ(p.Height(), 11906);
    EXPECT_EQ(p.Orientation(), 2);
}

TEST_F(PrinterTest, PagesAndDocumentsAreRecorded) {
    RecordingPrinter p;
    p.Print("um");
    p.Line(0, 10, 100, 10);
    EXPECT_EQ(p.CurrentX(), 100);
    p.NewPage();
    EXPECT_EQ(p.CurrentY(), 0);
    p.Print("dois");
    p.EndDoc();
    EXPECT_EQ(p.texts(1), QList<QString>{"um"});
    EXPECT_EQ(p.texts(2), QList<QString>{"dois"});
    EXPECT_EQ(p.documentsEnded(), 1);
    EXPECT_EQ(p.Page(), 1); // the next document starts on its first page
    p.Print("tres");
    p.KillDoc();
    EXPECT_EQ(p.ops().back().kind, PrintOp::KillDoc);
}

TEST_F(PrinterTest, PdfRenderOfTwoPages) {
    QTemporaryDir dir;
    const QString path = dir.filePath("relatorio.pdf");
    {
        print::QtPrinter p(path);
        p.setPaperSize(print::vbPRPSA4);
        p.setOrientation(print::vbPRORLandscape);
        EXPECT_GT(p.Width(), p.Height());
        EXPECT_NEAR(p.Width(), 16838, 2);
        // A quarter inch unprintable strip: 360 twips.
        EXPECT_NEAR(p.PhysicalOffsetX() * p.TwipsPerPixelX(), 360, 2);
        EXPECT_NEAR(p.ScaleWidth(), p.Width() - 720, 2);
        p.setFontName("Times New Roman");
        p.setFontSize(12);
        p.setFontBold(true);
        p.setFontUnderline(true);
        p.setCurrentX(1000);
        p.Print("CADASTRO DE CONTAS");
        p.setDrawWidth(2);
        p.Line(1000, p.CurrentY(), 6000, p.CurrentY());
        p.NewPage();
        p.setFontName("Courier New");
        p.setFontSize(8);
        p.Print("SEGUNDA PÁGINA");
        p.EndDoc();
    }
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray pdf = f.readAll();
    EXPECT_TRUE(pdf.startsWith("%PDF"));
    EXPECT_EQ(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r"), 2) ;
    EXPECT_TRUE(pdf.contains("LiberationSerif") || pdf.contains("Liberation"));
}

namespace {
int paginasDoPdf(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return 0;
    const QByteArray pdf = f.readAll();
    return int(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r"));
}
void compor(print::Printer &p, int paginas) {
    p.setPaperSize(print::vbPRPSA4);
    p.setOrientation(print::vbPRORPortrait);
    for (int i = 1; i <= paginas; ++i) {
        if (i > 1) p.NewPage();
        p.setFontName("Courier New");
        p.setFontSize(8);
        p.Print(QStringLiteral("PÁGINA %1").arg(i));
    }
}
} // namespace

// Nothing reaches the device while a job is composed: an abandoned job
// leaves nothing, a finished one all its pages, and each job is a new one.
TEST_F(PrinterTest, AJobReachesTheDeviceOnlyWhenEndedWhole) {
    QTemporaryDir dir;
    const QString path = dir.filePath("relatorio.pdf");
    print::QtPrinter p(path);
    compor(p, 2);
    EXPECT_FALSE(QFile::exists(path)) << "composing sends nothing";
    p.KillDoc();
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(p.Page(), 1);
    compor(p, 3);
    p.EndDoc();
    EXPECT_EQ(paginasDoPdf(path), 3);
    compor(p, 1);
    p.EndDoc();
    EXPECT_EQ(paginasDoPdf(path), 1);
}

namespace {
// The machine's queues as a test says they are, for as long as it runs.
class FilasDoTeste {
public:
    FilasDoTeste() { print::TrocarConsultaDeFilas([this] { return filas; }); }
    ~FilasDoTeste() { print::TrocarConsultaDeFilas({}); }
    FilasDoTeste(const FilasDoTeste &) = delete;
    FilasDoTeste &operator=(const FilasDoTeste &) = delete;
    print::FilasDeImpressao filas;
};

// The printer over the test's queues: the device of a queue is a PDF file
// named after it, so what each queue received can be read.
class ImpressoraDasFilas : public print::QtPrinter {
public:
    explicit ImpressoraDasFilas(const QString &pasta) : pasta_(pasta) {}
    QString arquivoDa(const QString &fila) const { return QDir(pasta_).filePath(fila + QStringLiteral(".pdf")); }
    mutable QStringList pedidas; // the queues whose device a job asked for

protected:
    std::unique_ptr<QPrinter> dispositivoDaFila(const QString &fila) const override {
        pedidas << fila;
        auto p = std::make_unique<QPrinter>(QPrinter::HighResolution);
        p->setOutputFormat(QPrinter::PdfFormat);
        p->setOutputFileName(arquivoDa(fila));
        return p;
    }

private:
    QString pasta_;
};
} // namespace

// Without a default printer a job cannot start, every time it is tried,
// whatever queues there are: it never goes to a queue nobody chose. With one,
// the job takes the default of its start, and the next job the default of its own.
TEST_F(PrinterTest, AJobTakesTheDefaultPrinterOfItsStart) {
    const QStringList duas = {QStringLiteral("Escritorio"), QStringLiteral("Fiscal")};
    struct Caso {
        const char *nome;
        print::FilasDeImpressao filas;
        QString destino; // empty: the job stops with the printer error
    };
    const Caso casos[] = {
        {"no queue at all", {}, {}},
        {"queues, none the default", {duas, {}}, {}},
        {"a default queue", {duas, QStringLiteral("Fiscal")}, QStringLiteral("Fiscal")},
        {"a default no longer installed", {{QStringLiteral("Escritorio")}, QStringLiteral("Fiscal")}, {}},
    };
    for (const Caso &c : casos) {
        SCOPED_TRACE(c.nome);
        QTemporaryDir dir;
        FilasDoTeste maquina;
        maquina.filas = c.filas;
        ImpressoraDasFilas p(dir.path());
        for (int vez = 0; vez < 2; ++vez) {
            if (c.destino.isEmpty()) {
                EXPECT_EQ(testsupport::errorOf([&] { p.PhysicalOffsetX(); }), 482);
                p.KillDoc();
                EXPECT_EQ(p.pedidas, QStringList()) << "the job went to a queue";
            } else {
                p.PhysicalOffsetX(); // a report starts its job by reading the sheet
                compor(p, 2);
                EXPECT_EQ(p.PrinterName(), c.destino);
                p.EndDoc();
                EXPECT_EQ(paginasDoPdf(p.arquivoDa(c.destino)), 2);
                EXPECT_EQ(p.PrinterName(), QString()) << "no device is held between jobs";
                EXPECT_EQ(p.pedidas, QStringList(vez + 1, c.destino));
            }
        }
    }
    // The default changed between two jobs: each went to its own.
    QTemporaryDir dir;
    FilasDoTeste maquina;
    maquina.filas = {duas, QStringLiteral("Escritorio")};
    ImpressoraDasFilas p(dir.path());
    p.PhysicalOffsetX();
    compor(p, 1);
    maquina.filas.padrao = QStringLiteral("Fiscal"); // changed while the job is composed
    p.EndDoc();
    p.PhysicalOffsetX();
    compor(p, 3);
    p.EndDoc();
    EXPECT_EQ(paginasDoPdf(p.arquivoDa(QStringLiteral("Escritorio"))), 1);
    EXPECT_EQ(paginasDoPdf(p.arquivoDa(QStringLiteral("Fiscal"))), 3);
}
