// Images through the real Qt clipboard of the offscreen platform.
#include "AppTest.h"

#include "app/QtClipboard.h"
#include "base/LittleEndian.h"
#include "image/WinBmp.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QTest>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

class QtClipboardTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QImage probe(2, 2, QImage::Format_RGB32);
        probe.fill(Qt::red);
        QGuiApplication::clipboard()->setImage(probe);
        if (QGuiApplication::clipboard()->image().isNull())
            QSKIP("This platform's clipboard keeps no images.");
    }

    void indexedImagesComeBackAsTheirColours_data()
    {
        QTest::addColumn<int>("depth");
        QTest::newRow("8 bits") << 8;
        QTest::newRow("1 bit") << 1;
    }
    void indexedImagesComeBackAsTheirColours()
    {
        QFETCH(int, depth);
        CWinBmp source;
        source.Create(11, 3, depth, false);
        const int entries = 1 << depth;
        for (int i = 0; i < entries; ++i)
            source.Palette[i] = PaletteEntry{uint8_t(i * 3), uint8_t(255 - i), uint8_t(i ^ 0x55), 255};
        for (int y = 0; y < 3; ++y) {
            std::memset(source.Lines[y], 0, size_t(source.BytesPerLine()));
            for (int x = 0; x < 11; ++x) {
                const int index = (x * 7 + y * 5) % entries;
                if (depth == 8)
                    source.Lines[y][x] = uint8_t(index);
                else if (index)
                    source.Lines[y][x >> 3] |= uint8_t(0x80 >> (x & 7));
            }
        }
        source.SetResolution(300, 300);
        CQtClipboard clipboard;
        source.CopyToClipboard(clipboard);

        const QImage onClipboard = QGuiApplication::clipboard()->image();
        QCOMPARE(onClipboard.size(), QSize(11, 3));
        QCOMPARE(onClipboard.dotsPerMeterX(), 11811);

        CWinBmp pasted;
        QVERIFY(pasted.PasteFromClipboard(clipboard));
        QCOMPARE(int(pasted.BitsPerPixel), 32);
        QCOMPARE(pasted.SourceBitsPerPixel, 24);
        QVERIFY(!pasted.HasAlpha);
        QCOMPARE(GetLE32(pasted.GetBitmapInfo() + 24), 11811u);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 11; ++x) {
                const PaletteEntry& e = source.Palette[(x * 7 + y * 5) % entries];
                QCOMPARE(pasted.Row32(y)[x], PackPixel(e));
            }
    }

    void trueColourKeepsItsAlphaOnlyWhenItHasSome_data()
    {
        QTest::addColumn<int>("alpha0");
        QTest::addColumn<int>("alpha1");
        QTest::addColumn<bool>("hasAlpha");
        QTest::newRow("opaque") << 255 << 255 << false;
        QTest::newRow("unused fourth byte") << 0 << 0 << false;
        QTest::newRow("transparent and opaque") << 255 << 0 << true;
        QTest::newRow("translucent") << 128 << 255 << true;
    }
    void trueColourKeepsItsAlphaOnlyWhenItHasSome()
    {
        QFETCH(int, alpha0);
        QFETCH(int, alpha1);
        QFETCH(bool, hasAlpha);
        CWinBmp source;
        source.Create(2, 2, 32, hasAlpha);
        source.Row32(0)[0] = PackPixel(10, 20, 30, uint8_t(alpha0));
        source.Row32(0)[1] = PackPixel(40, 50, 60, uint8_t(alpha1));
        source.Row32(1)[0] = PackPixel(70, 80, 90, uint8_t(alpha0));
        source.Row32(1)[1] = PackPixel(1, 2, 3, uint8_t(alpha1));
        CQtClipboard clipboard;
        source.CopyToClipboard(clipboard);
        QCOMPARE(QGuiApplication::clipboard()->image().hasAlphaChannel(), hasAlpha);

        CWinBmp pasted;
        QVERIFY(pasted.PasteFromClipboard(clipboard));
        QCOMPARE(pasted.SourceBitsPerPixel, hasAlpha ? 32 : 24);
        QCOMPARE(pasted.HasAlpha, hasAlpha);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 2; ++x) {
                const uint32_t expected = hasAlpha ? source.Row32(y)[x] : (source.Row32(y)[x] | 0xFF000000u);
                QCOMPARE(pasted.Row32(y)[x], expected);
            }
    }

    void textOnTheClipboardIsNoImage()
    {
        QGuiApplication::clipboard()->setText(QStringLiteral("not a picture"));
        CWinBmp bitmap;
        bitmap.Create(3, 3, 8, false);
        bitmap.Lines[1][1] = 77;
        CQtClipboard clipboard;
        QVERIFY(!bitmap.PasteFromClipboard(clipboard));
        QCOMPARE(bitmap.Width, 3);
        QCOMPARE(int(bitmap.BitsPerPixel), 8);
        QCOMPARE(int(bitmap.Lines[1][1]), 77);
    }

    void imagesOverThePixelCapAreRefused()
    {
        QImage big(100, 100, QImage::Format_RGB32);
        big.fill(Qt::blue);
        QGuiApplication::clipboard()->setImage(big);
        std::optional<std::string> old;
        if (const char* v = std::getenv("OCULANE_MAX_IMAGE_BYTES"))
            old = v;
        setenv("OCULANE_MAX_IMAGE_BYTES", "20000", 1);  // under 100 x 100 x 4
        CWinBmp bitmap;
        CQtClipboard clipboard;
        const bool pasted = bitmap.PasteFromClipboard(clipboard);
        if (old)
            setenv("OCULANE_MAX_IMAGE_BYTES", old->c_str(), 1);
        else
            unsetenv("OCULANE_MAX_IMAGE_BYTES");
        QVERIFY(!pasted);
        QCOMPARE(bitmap.Width, 16);  // the fresh bitmap, untouched
        QVERIFY(bitmap.PasteFromClipboard(clipboard));
        QCOMPARE(bitmap.Width, 100);
        QCOMPARE(bitmap.Row32(99)[99], 0xFF0000FFu);
    }

    void damagedBlocksReachNoClipboard()
    {
        QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
        const uint8_t shortBlock[20] = {40};
        CQtClipboard clipboard;
        QVERIFY(!clipboard.PutDib(shortBlock, sizeof shortBlock));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("kept"));
    }
};

OCULANE_APP_TEST(QtClipboardTest)

#include "ClipboardTest.moc"
