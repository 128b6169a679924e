#include <gtest/gtest.h>

#include <GL/gl.h>
#include <cstdint>
#include <deque>

#include "diag/CDiagnostics.h"
#include "platform/StringTable.h"
#include "support/TestFolder.h"

namespace {

class DiagnosticsTest : public ::testing::Test {
protected:
    void SetUp() override { testing::internal::CaptureStderr(); }
    void TearDown() override { testing::internal::GetCapturedStderr(); }

    // What the message boxes showed since the last call.
    static std::string TakeShown() {
        const std::string shown = testing::internal::GetCapturedStderr();
        testing::internal::CaptureStderr();
        return shown;
    }

    std::string ErrorFile() const { return CTestFolder::Read(diagnostics.ErrorFilePath()); }
    std::string LogFile() const { return CTestFolder::Read(diagnostics.LogFilePath()); }

    // Pending OpenGL errors as a driver that queues them all would hold them.
    void QueueGLErrors(int count, unsigned code) {
        pending.assign(static_cast<size_t>(count), code);
        diagnostics.SetGLErrorSource({ [] { return true; }, [this] {
                                          if (pending.empty()) {
                                              return unsigned(GL_NO_ERROR);
                                          }
                                          const unsigned code = pending.front();
                                          pending.pop_front();
                                          return code;
                                      } });
    }

    CTestFolder          folder;
    CDiagnostics         diagnostics{ folder.Path() };
    std::deque<unsigned> pending;
};

// The first use in a run deletes the last run's files; after that every
// text is appended as it is (without a line end it runs on into the next),
// so two failed loads of one run both stay. A box shows a text as one line.
TEST_F(DiagnosticsTest, EachRunStartsItsFilesAfreshAndAppendsTextsAsTheyAre) {
    folder.Write("errors.txt", "last run\r\n");
    folder.Write("log.txt", "last run\n");
    diagnostics.ReportErrorId(112);
    EXPECT_EQ(TakeShown(), std::string(GetStringResource(112)) + "\n");
    EXPECT_STREQ(GetStringResource(1019), "");  // unknown numbers give an empty text, never null
    ASSERT_TRUE(diagnostics.PrepareErrorFile());
    diagnostics.ReportError("Error opening scene file\r\n");
    EXPECT_EQ(TakeShown(), "Error opening scene file\n");
    diagnostics.LogLine("not shown");
    diagnostics.LogLine(", line");
    EXPECT_EQ(TakeShown(), "");
    EXPECT_EQ(ErrorFile(), std::string(GetStringResource(112)) + "Error opening scene file\r\n");
    EXPECT_EQ(LogFile(), "not shown, line");
}

TEST_F(DiagnosticsTest, WithoutAProgramFolderNothingIsWrittenButErrorsAreShown) {
    CDiagnostics homeless("");
    EXPECT_FALSE(homeless.PrepareErrorFile());
    homeless.LogLine("lost\n");
    homeless.ReportError("still shown");
    EXPECT_EQ(TakeShown(), "still shown\n");
}

// CheckGLState logs eleven errors a call and leaves the rest; CheckGLError
// consumes one, and writes a text of any length whole.
TEST_F(DiagnosticsTest, CheckGLStateLogsElevenErrorsAndCheckGLErrorOne) {
    QueueGLErrors(15, GL_INVALID_ENUM);
    EXPECT_TRUE(diagnostics.CheckGLState("After OnDraw"));
    EXPECT_EQ(pending.size(), 4u);
    std::string eleven;
    for (int i = 0; i < 11; i++) {
        eleven += "After OnDraw Received an OpenGL Error 'invalid enumerant'\n";
    }
    EXPECT_EQ(LogFile(), eleven);
    EXPECT_TRUE(diagnostics.CheckGLState("After OnDraw"));
    EXPECT_TRUE(pending.empty());
    EXPECT_FALSE(diagnostics.CheckGLState("After OnDraw"));
    EXPECT_EQ(LogFile().size(), eleven.size() / 11 * 15);

    const std::string where(100000, 'w');
    QueueGLErrors(2, GL_INVALID_VALUE);
    EXPECT_TRUE(diagnostics.CheckGLError(where));
    EXPECT_EQ(pending.size(), 1u);
    EXPECT_EQ(LogFile().substr(eleven.size() / 11 * 15), where + " had error: #(1281) invalid value\n");
}

// Fatal errors only ask for the end of viewing, once; the viewer ends it.
// The OpenGL failure keeps its first sentence.
TEST_F(DiagnosticsTest, FatalErrorsAskOnceForTheEndOfViewing) {
    EXPECT_NE(diagnostics.AllocOrFail(64), nullptr);
    EXPECT_NE(diagnostics.AllocOrFail(0), nullptr);
    EXPECT_FALSE(diagnostics.TakeEndViewingRequest());
    EXPECT_EQ(diagnostics.AllocOrFail(SIZE_MAX), nullptr);
    EXPECT_EQ(ErrorFile(), "Out of memory");
    EXPECT_TRUE(diagnostics.TakeEndViewingRequest());
    EXPECT_FALSE(diagnostics.TakeEndViewingRequest());

    diagnostics.ShowOpenGLFailure("wglUseFontOutlines");
    const std::string text = ErrorFile();
    EXPECT_EQ(text.rfind("Out of memorywglUseFontOutlines\n\nThis error was probably caused by an incompatable "
                         "version of OpenGL.", 0),
              0u);
    EXPECT_NE(text.find("libglu1-mesa"), std::string::npos);
    EXPECT_TRUE(diagnostics.TakeEndViewingRequest());
}

TEST_F(DiagnosticsTest, NoticesThatNoContextIsCurrent) {
    EXPECT_TRUE(diagnostics.CheckGLState("nowhere"));
    EXPECT_EQ(LogFile(), "ERROR: No Current Rendering Context at nowhere\n");
}

} // namespace
