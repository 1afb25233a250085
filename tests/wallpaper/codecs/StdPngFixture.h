#pragma once

// The fixture and small files shared by the StdPNG tests.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>

#include <functional>
#include <initializer_list>
#include <vector>

#include "tests/support/ScriptedUi.h"
#include "tests/wallpaper/codecs/PngTestFiles.h"
#include "wallpaper/codecs/StdPNG.h"

namespace pellimore::test {

inline const QString kInvalidPng = "Invalid PNG Format";
inline const QString kInvalidFormat = "Invalid Format";

// A host of the decoder's events that runs the test's functions.
struct FunctionPngEvents final : StdPNGEvents {
    std::function<void(int)> progress;
    std::function<void(ProgressiveDisplayArgs &)> display;
    void Progress(int percentage) override
    {
        if (progress)
            progress(percentage);
    }
    void ProgessiveDisplay(ProgressiveDisplayArgs &args) override
    {
        if (display)
            display(args);
    }
};

class StdPngTest : public testing::Test {
protected:
    StdPngTest() { png.SetEvents(&events); }

    void ExpectFailure(const QString &text, const QString &title)
    {
        ui.ExpectMessage(text, title, MessageResult::Ok).WithIcon(MessageIcon::Exclamation);
    }
    bool Load(const QByteArray &file, bool validate = true, bool make32 = false, uint8_t alpha = 255)
    {
        return png.LoadFile(WriteTestFile("test.png", file), validate, make32, alpha);
    }
    Pixel At(int x, int y) const { return png.Handle()->At(x, y); }

    ScriptedUi ui;
    StdPNG png{ui};
    FunctionPngEvents events;
};

// A 2 x 2 RGB image (8 bits): red, green / blue, white.
inline QByteArray SmallRgb(std::initializer_list<QByteArray> extra = {}, uint8_t filter = 0)
{
    std::vector<QByteArray> chunks{Ihdr(2, 2, 8, 2)};
    chunks.insert(chunks.end(), extra.begin(), extra.end());
    chunks.push_back(Idat(RawRows({QByteArray("\xff\0\0\0\xff\0", 6), QByteArray("\0\0\xff\xff\xff\xff", 6)}, filter)));
    chunks.push_back(Iend());
    return PngFile(chunks);
}

inline QByteArray Bytes(std::initializer_list<int> values)
{
    QByteArray b;
    for (int v : values)
        b.append(char(v));
    return b;
}

}  // namespace pellimore::test
