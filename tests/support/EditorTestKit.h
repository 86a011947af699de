#pragma once

// Shared by the editor dialog tests: a document built from the small test dump whose messages go
// to the fake shell's script, control look-up by object name, and the message texts shown.

#include "dump/SystemDoc.h"
#include "support/DocTestKit.h"
#include "support/DumpTestDoc.h"
#include "support/FakeShell.h"

#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QString>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

namespace editorkit {

template <typename T> T* Find(const QWidget& parent, const char* name) {
    T* widget = parent.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << "no control named " << name;
    return widget;
}

// Text of a multi-line field as the dialog reads it back.
inline std::string Text(const QWidget& parent, const char* name) {
    QPlainTextEdit* edit = Find<QPlainTextEdit>(parent, name);
    return edit ? edit->toPlainText().toStdString() : std::string();
}

inline void SetText(const QWidget& parent, const char* name, const std::string& text) {
    if (QPlainTextEdit* edit = Find<QPlainTextEdit>(parent, name))
        edit->setPlainText(QString::fromStdString(text));
}

class EditorTest : public ::testing::Test {
protected:
    void SetUp() override { Load(dumpfix::SmallDump().Build()); }

    void Load(const testdump::Bytes& image) {
        doc = std::make_unique<SystemDoc>();
        ASSERT_EQ(doc->ParseDump(image), DumpOk);
        doc->SetModifiedFlag(false);
        doc->SetPrompter(&shell.script());
        doc->AddListener(&hints);
    }

    void TearDown() override {
        if (doc)
            doc->RemoveListener(&hints);
    }

    // Every message text shown so far, in order; the log is cleared.
    std::vector<std::string> TakeMessages() {
        std::vector<std::string> texts;
        for (const auto& entry : shell.script().Messages())
            texts.push_back(entry.text);
        shell.script().Clear();
        return texts;
    }

    testdump::Bytes Image() const { return doc->BuildImage(); }

    FakeShell shell;
    kit::HintLog hints;
    std::unique_ptr<SystemDoc> doc;
};

} // namespace editorkit
