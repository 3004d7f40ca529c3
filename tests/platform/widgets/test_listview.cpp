// The list control: keys, pictures, tags, several selected items, the hit
// test, the mouse events and HideSelection (shared with the tree).
#include "platform/err/AppError.h"
#include "platform/ui/GuiTest.h"
#include "platform/widgets/ListView.h"
#include "platform/widgets/TreeView.h"

#include <QMouseEvent>

namespace {

class List : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char *k : {"A", "B"}) images.Add(QString::fromLatin1(k), QIcon());
        lv.setSmallIcons(&images);
        lv.resize(200, 200);
    }
    QApplication &app = testsupport::qtApp();
    widgets::ImageList images;
    widgets::ListView lv;
};

void mouse(QWidget *w, QEvent::Type t, Qt::MouseButton b, QPoint p) {
    QMouseEvent e(t, QPointF(p), w->mapToGlobal(QPointF(p)), b, b, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

long erroDe(const std::function<void()> &f) {
    try {
        f();
    } catch (const err::AppError &e) {
        return e.number();
    }
    return 0;
}

TEST_F(List, ItemsByKeyAndPositionWithPicturesAndTags) {
    widgets::ListItem *a = lv.Add(QStringLiteral("_001"), QStringLiteral("BANCO"), QStringLiteral("A"));
    a->setTag(QStringLiteral("17"));
    lv.Add(QStringLiteral("_002"), QStringLiteral("CARTEIRA"));
    EXPECT_EQ(erroDe([&] { lv.Add(QStringLiteral("_001"), QStringLiteral("X")); }), widgets::kErrKeyNotUnique);
    EXPECT_EQ(erroDe([&] { lv.Add(QStringLiteral("_003"), QStringLiteral("X"), QStringLiteral("Z")); }),
              widgets::kErrElementNotFound);
    EXPECT_EQ(lv.Count(), 2) << "a refused item is not added";
    EXPECT_EQ(lv.Item(QStringLiteral("_001")), a);
    EXPECT_EQ(lv.Item(2)->Text(), QStringLiteral("CARTEIRA"));
    EXPECT_EQ(lv.Item(3), nullptr);
    EXPECT_EQ(a->Tag(), QStringLiteral("17"));
    a->setSmallIcon(QStringLiteral("B"));
    EXPECT_EQ(a->SmallIcon(), QStringLiteral("B"));
    EXPECT_EQ(erroDe([&] { a->setSmallIcon(QStringLiteral("Z")); }), widgets::kErrElementNotFound);
    lv.Clear();
    EXPECT_EQ(lv.Count(), 0);
    EXPECT_EQ(lv.Item(QStringLiteral("_001")), nullptr);
}

TEST_F(List, SeveralSelectedAndTheMouse) {
    for (int i = 1; i <= 3; ++i) lv.Add(QStringLiteral("_%1").arg(i), QStringLiteral("ITEM %1").arg(i));
    lv.show();
    lv.Item(1)->setSelected(true);
    lv.Item(3)->setSelected(true);
    EXPECT_TRUE(lv.Item(1)->Selected() && !lv.Item(2)->Selected() && lv.Item(3)->Selected());
    const QPoint p2 = lv.visualItemRect(lv.Item(2)->item()).center();
    EXPECT_EQ(lv.HitTest(p2), lv.Item(2));
    EXPECT_EQ(lv.HitTest(QPoint(5, 190)), nullptr);
    std::vector<int> botoes;
    int duplos = 0;
    QObject::connect(&lv, &widgets::ListView::MouseDown, [&](int b, int, const QPoint &) { botoes.push_back(b); });
    QObject::connect(&lv, &widgets::ListView::DblClick, [&] { ++duplos; });
    mouse(lv.viewport(), QEvent::MouseButtonPress, Qt::RightButton, p2);
    mouse(lv.viewport(), QEvent::MouseButtonRelease, Qt::RightButton, p2);
    EXPECT_EQ(botoes, std::vector<int>{2});
    EXPECT_FALSE(lv.Item(2)->Selected()) << "the right button selects nothing by itself";
    mouse(lv.viewport(), QEvent::MouseButtonPress, Qt::LeftButton, p2);
    mouse(lv.viewport(), QEvent::MouseButtonRelease, Qt::LeftButton, p2);
    mouse(lv.viewport(), QEvent::MouseButtonDblClick, Qt::LeftButton, p2);
    EXPECT_EQ(duplos, 1);
    EXPECT_TRUE(lv.Item(2)->Selected());
}

TEST_F(List, HideSelectionDrawsTheSelectionOnlyWithTheFocus) {
    widgets::TreeView tv;
    const QColor base = QApplication::palette().color(QPalette::Base);
    for (QAbstractItemView *v : {static_cast<QAbstractItemView *>(&lv), static_cast<QAbstractItemView *>(&tv)}) {
        if (v == &lv) lv.setHideSelection(true);
        else tv.setHideSelection(true);
        EXPECT_EQ(v->palette().color(QPalette::Inactive, QPalette::Highlight), base);
        if (v == &lv) lv.setHideSelection(false);
        else tv.setHideSelection(false);
        EXPECT_EQ(v->palette().color(QPalette::Inactive, QPalette::Highlight),
                  QApplication::palette().color(QPalette::Inactive, QPalette::Highlight));
    }
}

} // namespace
