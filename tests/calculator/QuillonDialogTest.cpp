#include "calculator/QuillonDialog.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QtEndian>

#include <memory>

namespace {

template <typename T> T* Find(const QWidget& dialog, const char* name) {
    T* widget = dialog.findChild<T*>(QString::fromLatin1(name));
    if (widget == nullptr)
        qFatal("no control %s", name);
    return widget;
}

// Runs `trigger`, which opens a modal box, and returns the box's title, text and icon as it closes it.
struct BoxSeen {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};
template <typename Trigger> BoxSeen CloseNextBox(Trigger trigger) {
    BoxSeen seen;
    QTimer::singleShot(0, [&seen] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            seen = {box->windowTitle(), box->text(), box->icon()};
            box->accept();
        }
    });
    trigger();
    return seen;
}

} // namespace

class QuillonDialogTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QuillonDialog> m_dialog;

    QLineEdit* Result() const { return Find<QLineEdit>(*m_dialog, "resultEdit"); }
    QString Description() const { return Find<QPlainTextEdit>(*m_dialog, "descriptionEdit")->toPlainText(); }
    void Click(const char* radio) { Find<QRadioButton>(*m_dialog, radio)->click(); }
    void Select(const char* combo, int index) { Find<QComboBox>(*m_dialog, combo)->setCurrentIndex(index); }
    // Typing replaces the whole field, as a user selecting all first would.
    void Type(const char* edit, const QString& text) {
        QLineEdit* field = Find<QLineEdit>(*m_dialog, edit);
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Delete);
        QTest::keyClicks(field, text);
    }

private slots:
    void init() {
        QSettings(QStringLiteral("Morvik"), QStringLiteral("Quillon")).clear();
        m_dialog = std::make_unique<QuillonDialog>();
        m_dialog->show();
    }
    void cleanup() { m_dialog.reset(); }

    void startsInControlChange() {
        QCOMPARE(m_dialog->windowTitle(), QStringLiteral("Quillon"));
        QCOMPARE(Result()->text(), QStringLiteral("b0 00 00"));
        QVERIFY(Find<QRadioButton>(*m_dialog, "controlChangeRadio")->isChecked());
        QCOMPARE(Find<QComboBox>(*m_dialog, "channelCombo")->currentText(), QStringLiteral("1"));
        QCOMPARE(Find<QComboBox>(*m_dialog, "channelCombo")->count(), 16);
        QCOMPARE(Find<QComboBox>(*m_dialog, "data2Combo")->count(), 128);
        QVERIFY(Find<QPushButton>(*m_dialog, "exitButton")->isDefault());
    }

    void modeShowsItsControls_data() {
        QTest::addColumn<QString>("radio");
        QTest::addColumn<QString>("data1");
        QTest::addColumn<QString>("data2");
        QTest::addColumn<QString>("msbLsb");
        QTest::addColumn<bool>("channel");
        QTest::addColumn<bool>("editable");
        QTest::addColumn<bool>("description");
        QTest::newRow("program") << "programChangeRadio"
                                 << "Program"
                                 << ""
                                 << "" << true << false << false;
        QTest::newRow("control") << "controlChangeRadio"
                                 << "Controller"
                                 << "Value"
                                 << "" << true << false << false;
        QTest::newRow("note on") << "noteOnRadio"
                                 << "Note"
                                 << "Velocity"
                                 << "" << true << false << false;
        QTest::newRow("note off") << "noteOffRadio"
                                  << "Note"
                                  << "Release Velocity"
                                  << "" << true << false << false;
        QTest::newRow("decimal") << "decimalRadio"
                                 << ""
                                 << ""
                                 << "" << false << true << false;
        QTest::newRow("hexadecimal") << "hexadecimalRadio"
                                     << ""
                                     << ""
                                     << "" << false << true << false;
        QTest::newRow("pitch bend") << "pitchBendRadio"
                                    << "LSB"
                                    << "MSB"
                                    << "" << true << false << false;
        QTest::newRow("msb lsb") << "msbLsbRadio"
                                 << "MSB"
                                 << "LSB"
                                 << "2 byte decimal value" << false << false << false;
        QTest::newRow("decomposer") << "hexDecomposerRadio"
                                    << ""
                                    << ""
                                    << "" << false << true << true;
    }
    void modeShowsItsControls() {
        QFETCH(QString, radio);
        QFETCH(QString, data1);
        QFETCH(QString, data2);
        QFETCH(QString, msbLsb);
        QFETCH(bool, channel);
        QFETCH(bool, editable);
        QFETCH(bool, description);
        Click(radio.toLatin1().constData());
        const struct {
            const char* label;
            const char* control;
            QString caption;
        } rows[] = {{"data1Label", "data1Combo", data1},
                    {"data2Label", "data2Combo", data2},
                    {"msbLsbLabel", "msbLsbEdit", msbLsb}};
        for (const auto& row : rows) {
            QCOMPARE(Find<QLabel>(*m_dialog, row.label)->isVisible(), !row.caption.isEmpty());
            QCOMPARE(Find<QWidget>(*m_dialog, row.control)->isVisible(), !row.caption.isEmpty());
            if (!row.caption.isEmpty())
                QCOMPARE(Find<QLabel>(*m_dialog, row.label)->text(), row.caption);
        }
        QCOMPARE(Find<QComboBox>(*m_dialog, "channelCombo")->isVisible(), channel);
        QCOMPARE(Find<QLabel>(*m_dialog, "channelLabel")->isVisible(), channel);
        QCOMPARE(Result()->isReadOnly(), !editable);
        QCOMPARE(Find<QPlainTextEdit>(*m_dialog, "descriptionEdit")->isVisible(), description);
        QCOMPARE(Find<QCheckBox>(*m_dialog, "autoCopyCheck")->isEnabled(), !description);
    }

    void composeThenDecompose() {
        Click("noteOffRadio");
        Select("data1Combo", 60);
        Select("data2Combo", 64);
        QCOMPARE(Result()->text(), QStringLiteral("80 3c 40"));
        Click("hexDecomposerRadio");
        QCOMPARE(Result()->text(), QStringLiteral("80 3c 40"));
        QCOMPARE(Description(), QStringLiteral("Note Off command:\nChannel 1\nNote 60\nRelease velocity 64"));
        // Typing is taken apart as it goes.
        Type("resultEdit", QStringLiteral("90 3c"));
        QCOMPARE(Description(), QStringLiteral("Invalid Note on \ncommand string."));
        QTest::keyClicks(Result(), QStringLiteral(" 4"));
        QCOMPARE(Description(), QStringLiteral("Incomplete string \n(odd number of digits)."));
        // Leaving the decomposer clears the field and composes at once.
        Click("programChangeRadio");
        QCOMPARE(Result()->text(), QStringLiteral("c0 3c"));
        Select("channelCombo", 15);
        Select("data1Combo", 127);
        QCOMPARE(Result()->text(), QStringLiteral("cf 7f"));
    }

    void noteButtonsPickTheStatus() {
        Select("data1Combo", 1);
        Click("noteOnRadio");
        QCOMPARE(Result()->text(), QStringLiteral("90 01 00"));
        Click("noteOffRadio");
        QCOMPARE(Result()->text(), QStringLiteral("80 01 00"));
    }

    void numberConversion() {
        Click("decimalRadio");
        QCOMPARE(Result()->text(), QString());
        // A press on an empty field leaves it alone.
        Click("decimalRadio");
        QCOMPARE(Result()->text(), QString());
        Type("resultEdit", QStringLiteral("ff"));
        Click("decimalRadio");
        QCOMPARE(Result()->text(), QStringLiteral("255"));
        Click("hexadecimalRadio");
        QCOMPARE(Result()->text(), QStringLiteral("ff"));
        Type("resultEdit", QStringLiteral("1g"));
        Click("hexadecimalRadio");
        QCOMPARE(Result()->text(), QStringLiteral("err"));
    }

    void msbLsbBothWays() {
        Click("msbLsbRadio");
        QLineEdit* msbLsb = Find<QLineEdit>(*m_dialog, "msbLsbEdit");
        QCOMPARE(Result()->text(), QStringLiteral("00 00"));
        QCOMPARE(msbLsb->text(), QStringLiteral("0"));
        Select("data1Combo", 1);
        QCOMPARE(Result()->text(), QStringLiteral("01 00"));
        QCOMPARE(msbLsb->text(), QStringLiteral("128"));

        Type("msbLsbEdit", QStringLiteral("16383"));
        QCOMPARE(Find<QComboBox>(*m_dialog, "data1Combo")->currentIndex(), 127);
        QCOMPARE(Find<QComboBox>(*m_dialog, "data2Combo")->currentIndex(), 127);
        QCOMPARE(Result()->text(), QStringLiteral("7f 7f"));
        QCOMPARE(msbLsb->text(), QStringLiteral("16383"));

        // Above 14 bits the value wraps, and the typed number still stays as typed.
        Type("msbLsbEdit", QStringLiteral("16513"));
        QCOMPARE(Result()->text(), QStringLiteral("01 01"));
        QCOMPARE(msbLsb->text(), QStringLiteral("16513"));

        // Only digits go in.
        QTest::keyClicks(msbLsb, QStringLiteral("x"));
        QCOMPARE(msbLsb->text(), QStringLiteral("16513"));

        // Coming back to the mode clears the field before composing into it again.
        Click("programChangeRadio");
        Click("msbLsbRadio");
        QCOMPARE(msbLsb->text(), QStringLiteral("129"));
    }

    void autoCopyPutsResultOnClipboard() {
        QClipboard* clipboard = QGuiApplication::clipboard();
        clipboard->setText(QStringLiteral("before"));
        Click("programChangeRadio");
        QCOMPARE(clipboard->text(), QStringLiteral("before"));

        Find<QCheckBox>(*m_dialog, "autoCopyCheck")->click();
        Select("data1Combo", 16);
        QCOMPARE(clipboard->text(), QStringLiteral("c0 10"));
        Click("decimalRadio");
        Type("resultEdit", QStringLiteral("10"));
        Click("decimalRadio");
        QCOMPARE(clipboard->text(), QStringLiteral("16"));
        QVERIFY(!clipboard->mimeData()->hasHtml());
    }

    void settingsPersistAcrossInstances() {
        Find<QCheckBox>(*m_dialog, "autoCopyCheck")->setChecked(true);
        m_dialog->move(123, 145);
        Find<QPushButton>(*m_dialog, "exitButton")->click();
        QVERIFY(!m_dialog->isVisible());
        const QSize size = m_dialog->frameGeometry().size();
        m_dialog.reset();

        QSettings settings(QStringLiteral("Morvik"), QStringLiteral("Quillon"));
        QCOMPARE(settings.value(QStringLiteral("AutoCopy")).toInt(), 1);
        const QByteArray position = settings.value(QStringLiteral("Position")).toByteArray();
        QCOMPARE(position.size(), 16);
        QCOMPARE(qFromLittleEndian<qint32>(position.constData() + 8), 123 + size.width());

        QuillonDialog second;
        QVERIFY(Find<QCheckBox>(second, "autoCopyCheck")->isChecked());
        QCOMPARE(second.pos(), QPoint(123, 145));
    }

    void autoCopyIsWrittenOnlyOnExit() {
        Find<QCheckBox>(*m_dialog, "autoCopyCheck")->setChecked(true);
        m_dialog.reset();
        QuillonDialog second;
        QVERIFY(!Find<QCheckBox>(second, "autoCopyCheck")->isChecked());
    }

    void escapeExitsLikeExit() {
        Find<QCheckBox>(*m_dialog, "autoCopyCheck")->setChecked(true);
        QTest::keyClick(m_dialog.get(), Qt::Key_Escape);
        QVERIFY(!m_dialog->isVisible());
        QCOMPARE(QSettings(QStringLiteral("Morvik"), QStringLiteral("Quillon")).value("AutoCopy").toInt(), 1);
    }

    void aStoreThatMayHoldASerialisedObjectIsLeftClosedAndUntouched() {
        m_dialog.reset();
        const QDir config(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
        QVERIFY(config.mkpath(QStringLiteral("Morvik")));
        const QByteArray hostile = "[General]\nAutoCopy=1\nPosition=@Variant(\\0\\0\\0\\tQList<int>)\n";
        // The calculator's own file and the company's beside it are both read: either closes it.
        for (const QString& path : {config.filePath(QStringLiteral("Morvik/Quillon.conf")),
                                    config.filePath(QStringLiteral("Morvik.conf"))}) {
            {
                QFile file(path);
                QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
                file.write(hostile);
            }
            {
                QuillonDialog dialog;
                QCheckBox* autoCopy = Find<QCheckBox>(dialog, "autoCopyCheck");
                QVERIFY(!autoCopy->isChecked());
                autoCopy->setChecked(true);
                dialog.show();
                Find<QPushButton>(dialog, "exitButton")->click();
            }
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), hostile);
            file.close();
            QVERIFY(file.remove());
        }
    }

    void missingHelpFileIsReported() {
        const BoxSeen seen =
            CloseNextBox([this] { Find<QPushButton>(*m_dialog, "midiHelpButton")->click(); });
        QCOMPARE(seen.title, QStringLiteral("MIDI Help"));
        QCOMPARE(seen.text, QStringLiteral("Help file not found."));
        QCOMPARE(seen.icon, QMessageBox::Critical);
    }

    void aboutBox() {
        const BoxSeen seen = CloseNextBox([this] { Find<QAction>(*m_dialog, "aboutAction")->trigger(); });
        QCOMPARE(seen.title, QStringLiteral("About Quillon"));
        QCOMPARE(seen.text, QStringLiteral("Quillon Version 1.2.0.1"));
    }
};

int RunQuillonDialogTest(int argc, char** argv) {
    QuillonDialogTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "QuillonDialogTest.moc"
