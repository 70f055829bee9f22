#include "core/link/Catalogue.h"
#include "core/link/Exchange.h"
#include "support/BoardRig.h"
#include "ui/support/Tooltips.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <array>

using namespace tav;
using Fixture = tav::test::BoardRig;

class TestTooltips : public QObject {
    Q_OBJECT
private slots:
    void catalogueTextsReplaceKeys() {
        Fixture f;
        QWidget window;
        std::array<QLineEdit*, 4> Txt{};
        const char* keys[] = {"7", "6", "1", "25"};
        for (int i = 0; i < 4; ++i) {
            Txt[i] = new QLineEdit(&window);
            Txt[i]->setToolTip(QString::fromLatin1(keys[i]));
        }
        auto* label = new QLabel(&window);
        label->setToolTip(QStringLiteral("32"));
        auto* missing = new QLabel(&window);
        missing->setToolTip(QStringLiteral("99"));
        auto* none = new QLabel(&window);

        loadTooltips(f.s, kWriteSyn, Txt);
        loadTooltips(f.s, kReadSyn, {label, missing, none, nullptr});

        QCOMPARE(Txt[3]->toolTip(), QStringLiteral("OPM (Set power limit)"));
        QCOMPARE(mnemonicOf(Txt[0]), QStringLiteral("SOP"));
        QCOMPARE(mnemonicOf(Txt[2]), QStringLiteral("IPT"));
        QCOMPARE(label->toolTip(), QStringLiteral("OPM (Read power limit)"));
        // A missing key leaves no tooltip and so no command.
        QCOMPARE(missing->toolTip(), QString());
        QCOMPARE(mnemonicOf(none), QString());
        QCOMPARE(mnemonicOf(nullptr), QString());

        // Re-assigning a key at run time (the panel's reading labels on a tab change).
        assignTooltip(f.s, kReadSyn, label, 9);
        QCOMPARE(mnemonicOf(label), QStringLiteral("OPW"));

        // A tooltip without a blank names no command.
        EcrireIni(f.s.generalIni(), kReadSyn, QStringLiteral("2"), QStringLiteral("VER"));
        assignTooltip(f.s, kReadSyn, label, 2);
        QCOMPARE(label->toolTip(), QStringLiteral("VER"));
        QCOMPARE(mnemonicOf(label), QString());
    }

    void editedCatalogueChangesTheCommandSent() {
        Fixture f;
        EcrireIni(f.s.generalIni(), kWriteSyn, QStringLiteral("7"),
                  QStringLiteral("XOP (Set output power, another way)"));
        QLineEdit box;
        box.setToolTip(QStringLiteral("7"));
        loadTooltip(f.s, kWriteSyn, &box);

        f.port.responder = [](const QByteArray&) { return std::optional<QByteArray>("XOP!"); };
        const QString answer = EnvoyerCommande(f.s, mnemonicOf(&box) + QStringLiteral("=150"));
        QVERIFY(answer.contains(QLatin1Char('!')));
        QCOMPARE(f.port.receivedLines(), (QList<QByteArray>{"XOP=150"}));
    }
};

QTEST_MAIN(TestTooltips)
#include "test_tooltips.moc"
