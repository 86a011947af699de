// The check a settings file passes before Qt opens it: every spelling of a serialised object is
// found, and what this program writes is not taken for one.
#include "store/StoreCheck.h"

#include <gtest/gtest.h>

#include <QByteArray>

namespace {

TEST(StoreCheck, FindsASerialisedObjectHoweverItIsWritten) {
    const struct {
        QByteArray value;
        bool found;
    } rows[] = {
        {QByteArray("@Variant(\\0\\0\\0\\x9QList<int>)"), true}, // as a fuzzer left it: gigabytes
        {QByteArray("\\x40Variant(\\0)"), true},
        {QByteArray("\\x10040Variant(\\0)"), true}, // the escape keeps 16 bits
        {QByteArray("\\100\\x56\\141riant(\\0)"), true},
        {QByteArray("\"@Var\"  iant(\\0)"), true}, // blanks after a closing quote go
        {QByteArray("one, @Variant(\\0)"), true},  // an item of a list
        {QByteArray("@Var\\\niant(\\0)"), true},   // a line joined by a backslash
        {QByteArray("@\\qVariant(\\0)"), true},    // an unknown escape is dropped
        {QByteArray("@ByteArray(\\xfc\\xff\\0\\0)"), false},
        {QByteArray("/home/jos\\xe9/Variant (2).syx"), false},
        {QByteArray("@@Variant is a name"), false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.value.toStdString());
        EXPECT_EQ(StoreCheck::MayHoldSerialisedValue(QByteArray("[Settings]\nBackground=") + row.value + '\n'),
                  row.found);
    }
}

} // namespace
