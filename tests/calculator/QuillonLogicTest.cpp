#include "calculator/QuillonLogic.h"
#include "miditext/MidiText.h"

#include <QTest>

namespace {

using Mode = QuillonLogic::Mode;
using Outcome = QuillonLogic::ReadOutcome;

} // namespace

Q_DECLARE_METATYPE(QuillonLogic::ReadOutcome)

class QuillonLogicTest : public QObject {
    Q_OBJECT

private slots:
    void compose_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("channel");
        QTest::addColumn<int>("data1");
        QTest::addColumn<int>("data2");
        QTest::addColumn<QString>("expected");
        QTest::newRow("start state") << int(Mode::ControlChange) << 0 << 0 << 0 << "b0 00 00";
        QTest::newRow("channel 16 program 127") << int(Mode::ProgramChange) << 15 << 127 << 0 << "cf 7f";
        QTest::newRow("program needs no data 2") << int(Mode::ProgramChange) << 0 << 5 << -1 << "c0 05";
        QTest::newRow("control change channel 11")
            << int(Mode::ControlChange) << 10 << 7 << 127 << "ba 07 7f";
        QTest::newRow("note on") << int(Mode::NoteOn) << 0 << 60 << 100 << "90 3c 64";
        QTest::newRow("note off") << int(Mode::NoteOff) << 0 << 60 << 64 << "80 3c 40";
        QTest::newRow("pitch bend LSB first") << int(Mode::PitchBend) << 2 << 0x12 << 0x40 << "e2 12 40";
        QTest::newRow("msb lsb has no channel") << int(Mode::MsbLsb) << -1 << 1 << 0 << "01 00";
        QTest::newRow("no data 1 selection") << int(Mode::ControlChange) << 0 << -1 << 0 << "";
        QTest::newRow("no channel selection") << int(Mode::NoteOn) << -1 << 1 << 1 << "";
        QTest::newRow("conversion composes nothing") << int(Mode::NumberConversion) << 0 << 0 << 0 << "";
    }
    void compose() {
        QFETCH(int, mode);
        QFETCH(int, channel);
        QFETCH(int, data1);
        QFETCH(int, data2);
        QFETCH(QString, expected);
        QCOMPARE(QuillonLogic::Compose(mode, channel, data1, data2), expected);
    }

    void msbLsbValue_data() {
        QTest::addColumn<int>("msb");
        QTest::addColumn<int>("lsb");
        QTest::addColumn<int>("value");
        QTest::newRow("zero") << 0 << 0 << 0;
        QTest::newRow("msb 1") << 1 << 0 << 128;
        QTest::newRow("both set") << 64 << 1 << 8193;
        QTest::newRow("largest") << 127 << 127 << 16383;
    }
    void msbLsbValue() {
        QFETCH(int, msb);
        QFETCH(int, lsb);
        QFETCH(int, value);
        QCOMPARE(QuillonLogic::MsbLsbValue(msb, lsb), value);
    }

    void readMsbLsbText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("128") << "128" << 128;
        QTest::newRow("largest") << "16383" << 16383;
        QTest::newRow("wraps to zero") << "16384" << 0;
        QTest::newRow("wraps to one") << "16385" << 1;
        QTest::newRow("beyond 64 bits") << "123456789012345" << 8057;
        QTest::newRow("leading digits") << "12ab" << 12;
        QTest::newRow("not a number") << "abc" << 0;
    }
    void readMsbLsbText() {
        QFETCH(QString, text);
        QFETCH(int, value);
        QCOMPARE(QuillonLogic::ReadMsbLsbText(text), value);
    }

    void readHexBytes_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << "" << Outcome::Empty << QByteArray();
        QTest::newRow("spaced") << "90 3c 40" << Outcome::Bytes << QByteArray("\x90\x3c\x40", 3);
        QTest::newRow("packed, upper case") << "903C4F" << Outcome::Bytes << QByteArray("\x90\x3c\x4f", 3);
        QTest::newRow("tabs and trailing blanks")
            << "c0\t\t05  " << Outcome::Bytes << QByteArray("\xc0\x05", 2);
        QTest::newRow("odd digit at end") << "90 3c 4" << Outcome::Incomplete << QByteArray("\x90\x3c", 2);
        QTest::newRow("single digit") << "9" << Outcome::Incomplete << QByteArray();
        QTest::newRow("single non-hex is incomplete") << "g" << Outcome::Incomplete << QByteArray();
        QTest::newRow("single blank is incomplete") << " " << Outcome::Incomplete << QByteArray();
        QTest::newRow("leading blank") << " 90" << Outcome::NonHex << QByteArray();
        QTest::newRow("non-hex after a byte") << "90 g" << Outcome::NonHex << QByteArray("\x90", 1);
        QTest::newRow("blank inside a byte") << "90 4 " << Outcome::NonHex << QByteArray("\x90", 1);
        QTest::newRow("non-hex second digit") << "9x" << Outcome::NonHex << QByteArray();
    }
    void readHexBytes() {
        QFETCH(QString, text);
        QFETCH(Outcome, outcome);
        QFETCH(QByteArray, bytes);
        std::vector<uint8_t> read;
        QCOMPARE(QuillonLogic::ReadHexBytes(text, read), outcome);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(read.data()), static_cast<qsizetype>(read.size())),
                 bytes);
    }

    void decompose_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("description");
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("incomplete") << "90 3c 4"
                                    << "Incomplete string \r\n(odd number of digits).";
        QTest::newRow("leading blank") << " 90 3c 40"
                                       << "Invalid string (non-hex digits).";
        QTest::newRow("note off") << "80 3c 40"
                                  << "Note Off command:\r\nChannel 1\r\nNote 60\r\nRelease velocity 64";
        QTest::newRow("note off short") << "8f 3c"
                                        << "Invalid Note off \r\ncommand string.";
        QTest::newRow("note on channel 16") << "9f 7f 00"
                                            << "Note On command:\r\nChannel 16\r\nNote 127\r\nVelocity 0";
        QTest::newRow("note on short") << "90 3c"
                                       << "Invalid Note on \r\ncommand string.";
        QTest::newRow("control change")
            << "b0 7b 00"
            << "Control Change command:\r\nChannel 1\r\nController 123 ([Channel Mode Message] All "
               "Notes Off)\r\nValue 0";
        QTest::newRow("control change, controller above 127")
            << "b2 80 ff"
            << "Control Change command:\r\nChannel 3\r\nController 128 (invalid controller value)\r\n"
               "Value 255";
        QTest::newRow("control change short") << "b0 07"
                                              << "Invalid control change\r\ncommand string.";
        QTest::newRow("program change") << "c9 05"
                                        << "Program Change command:\r\nChannel 10\r\nPatch 5";
        QTest::newRow("program change long") << "c0 05 00"
                                             << "Invalid program change\r\ncommand string.";
        QTest::newRow("pitch bend") << "e0 00 40"
                                    << "Pitch Bend command:\r\nChannel 1\r\nLSB 0\r\nMSB 64";
        QTest::newRow("pitch bend short") << "e0"
                                          << "Invalid pitch bend\r\ncommand string.";
        QTest::newRow("system exclusive") << "f0"
                                          << "Unrecognized MIDI command.";
        QTest::newRow("data byte first") << "7f 00 00"
                                         << "Unrecognized MIDI command.";
        QTest::newRow("aftertouch") << "a0 3c 40"
                                    << "Unrecognized MIDI command.";
    }
    void decompose() {
        QFETCH(QString, text);
        QFETCH(QString, description);
        QCOMPARE(QuillonLogic::Decompose(text), description);
    }

    void controllerName_data() {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("name");
        QTest::newRow("first") << 0 << "Bank Select";
        QTest::newRow("123") << 123 << "[Channel Mode Message] All Notes Off";
        QTest::newRow("last") << 127 << "[Channel Mode Message] Poly Mode On (+ mono off +all notes off)";
        QTest::newRow("128") << 128 << "invalid controller value";
    }
    void controllerName() {
        QFETCH(int, number);
        QFETCH(QString, name);
        QCOMPARE(QString::fromStdString(ControllerName(number)), name);
    }

    void conversions_data() {
        QTest::addColumn<bool>("toDecimal");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("ff to decimal") << true << "ff"
                                       << "255";
        QTest::newRow("upper case hex") << true << "FF"
                                        << "255";
        QTest::newRow("leading zeros") << true << "000000000ff"
                                       << "255";
        QTest::newRow("largest hex") << true << "ffffffff"
                                     << "4294967295";
        QTest::newRow("hex above 32 bits") << true << "100000000"
                                           << "err";
        QTest::newRow("1g to decimal") << true << "1g"
                                       << "err";
        QTest::newRow("blank in hex") << true << " ff"
                                      << "err";
        QTest::newRow("empty hex") << true << ""
                                   << "err";
        QTest::newRow("255 to hex") << false << "255"
                                    << "ff";
        QTest::newRow("largest decimal") << false << "4294967295"
                                         << "ffffffff";
        QTest::newRow("decimal above 32 bits") << false << "4294967296"
                                               << "err";
        QTest::newRow("1g to hex") << false << "1g"
                                   << "err";
        QTest::newRow("hex digits are not decimal") << false << "ff"
                                                    << "err";
    }
    void conversions() {
        QFETCH(bool, toDecimal);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        const std::string digits = text.toStdString();
        QCOMPARE(QString::fromStdString(toDecimal ? HexToDecimalText(digits) : DecimalToHexText(digits)), expected);
    }
};

int RunQuillonLogicTest(int argc, char** argv) {
    QuillonLogicTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "QuillonLogicTest.moc"
