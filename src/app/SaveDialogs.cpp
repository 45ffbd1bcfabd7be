#include "app/SaveDialogs.h"

#include "settings/Settings.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

int DdsIndexOfCode(int code)
{
    return code == 4 ? 1 : code == 6 ? 2 : 0;
}

int DdsCodeOfIndex(int index)
{
    return index == 1 ? 4 : index == 2 ? 6 : 2;
}

QString CSaveOptionsDialog::Title(SaveDialog kind)
{
    switch (kind) {
    case SaveDialog::Jpeg: return QStringLiteral("JPEG Options");
    case SaveDialog::Png: return QStringLiteral("PNG Options");
    case SaveDialog::Gif: return QStringLiteral("GIF Options");
    case SaveDialog::Tiff: return QStringLiteral("TIFF Options");
    case SaveDialog::Tga: return QStringLiteral("TGA Options");
    case SaveDialog::Ras: return QStringLiteral("RAS Options");
    case SaveDialog::Pcx: return QStringLiteral("PCX Options");
    case SaveDialog::Bmp: return QStringLiteral("BMP Options");
    case SaveDialog::Pict: return QStringLiteral("PICT Options");
    case SaveDialog::Dds: return QStringLiteral("DDS Options");
    case SaveDialog::None: break;
    }
    return {};
}

CSaveOptionsDialog::CSaveOptionsDialog(SaveDialog kind, CSettings& settings, QWidget* parent)
    : QDialog(parent), m_Kind(kind), m_Settings(settings)
{
    setWindowTitle(Title(kind));
    m_Layout = new QVBoxLayout(this);
    const CSettings& s = settings;
    const QStringList depths = {QStringLiteral("&8 bpp"), QStringLiteral("&24 bpp")};
    switch (kind) {
    case SaveDialog::Jpeg:
        m_Quality = addSlider(QStringLiteral("Image quality"), "quality", s.JpegQuality, true);
        m_Smoothing = addSlider(QStringLiteral("Smoothing"), "smoothing", s.JpegSmoothing, false);
        m_Progressive = addCheck(QStringLiteral("&Progressive"), "progressive", s.JpegProgressive);
        m_Huffman = addCheck(QStringLiteral("Optimize &Huffman codes"), "huffman", s.JpegOptimizeHuffman);
        break;
    case SaveDialog::Png:
    case SaveDialog::Gif:
        m_Flag = addCheck(QStringLiteral("&Interlaced"), "interlaced",
                          kind == SaveDialog::Png ? s.PngInterlaced : s.GifInterlaced);
        break;
    case SaveDialog::Tiff:
        m_Radios = addRadios(QStringLiteral("Compression"),
                             {QStringLiteral("&None"), QStringLiteral("&Packbits"), QStringLiteral("&LZW")},
                             "compression", s.TiffCompression);
        break;
    case SaveDialog::Tga:
    case SaveDialog::Ras:
        m_Flag = addCheck(QStringLiteral("&RLE compressed"), "rle", kind == SaveDialog::Tga ? s.TgaRle : s.RasRle);
        m_Radios = addRadios(QStringLiteral("Pixel depth"), depths + QStringList{QStringLiteral("&32 bpp")}, "depth",
                             kind == SaveDialog::Tga ? s.TgaDepth : s.RasDepth);
        break;
    case SaveDialog::Pcx:
    case SaveDialog::Bmp:
        m_Radios = addRadios(QStringLiteral("Pixel depth"), depths, "depth",
                             kind == SaveDialog::Pcx ? s.PcxDepth : s.BmpDepth);
        break;
    case SaveDialog::Pict:
        m_Flag = addCheck(QStringLiteral("&RLE compressed"), "rle", s.PictRle);
        break;
    case SaveDialog::Dds: {
        m_DdsFormat = new QComboBox;
        m_DdsFormat->setObjectName(QStringLiteral("ddsFormat"));
        m_DdsFormat->addItems({QStringLiteral("DXT1"), QStringLiteral("DXT3"), QStringLiteral("DXT5")});
        m_DdsFormat->setCurrentIndex(DdsIndexOfCode(s.DdsFormat));
        m_Layout->addWidget(m_DdsFormat);
        m_MipMaps = addCheck(QStringLiteral("Generate MipMaps"), "mipmaps", s.DdsMipMaps);
        m_Flip = addCheck(QStringLiteral("Flip Image"), "flip", s.DdsFlip);
        break;
    }
    case SaveDialog::None: break;
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    m_Layout->addWidget(buttons);
}

QCheckBox* CSaveOptionsDialog::addCheck(const QString& text, const char* name, int32_t value)
{
    auto* box = new QCheckBox(text);
    box->setObjectName(QString::fromLatin1(name));
    box->setChecked(value != 0);
    m_Layout->addWidget(box);
    return box;
}

QButtonGroup* CSaveOptionsDialog::addRadios(const QString& title, const QStringList& texts, const char* name,
                                            int index)
{
    auto* frame = new QGroupBox(title);
    auto* column = new QVBoxLayout(frame);
    auto* group = new QButtonGroup(this);
    group->setObjectName(QString::fromLatin1(name));
    for (int i = 0; i < texts.size(); ++i) {
        auto* radio = new QRadioButton(texts[i]);
        group->addButton(radio, i);
        column->addWidget(radio);
    }
    // A remembered index the list does not have shows the first choice.
    QAbstractButton* checked = group->button(index);
    (checked ? checked : group->button(0))->setChecked(true);
    m_Layout->addWidget(frame);
    return group;
}

QSlider* CSaveOptionsDialog::addSlider(const QString& title, const char* name, int value, bool endLabels)
{
    auto* frame = new QGroupBox(title);
    auto* column = new QVBoxLayout(frame);
    auto* slider = new QSlider(Qt::Horizontal);
    slider->setObjectName(QString::fromLatin1(name));
    slider->setRange(0, 100);
    slider->setValue(value);
    column->addWidget(slider);
    if (endLabels) {
        auto* ends = new QHBoxLayout;
        ends->addWidget(new QLabel(QStringLiteral("Low (best compression)")));
        ends->addStretch(1);
        ends->addWidget(new QLabel(QStringLiteral("High")));
        column->addLayout(ends);
    }
    m_Layout->addWidget(frame);
    return slider;
}

void CSaveOptionsDialog::accept()
{
    CSettings& s = m_Settings;
    const int index = m_Radios ? m_Radios->checkedId() : 0;
    const int32_t flag = m_Flag && m_Flag->isChecked() ? 1 : 0;
    switch (m_Kind) {
    case SaveDialog::Jpeg:
        s.JpegQuality = m_Quality->value();
        s.JpegSmoothing = m_Smoothing->value();
        s.JpegProgressive = m_Progressive->isChecked() ? 1 : 0;
        s.JpegOptimizeHuffman = m_Huffman->isChecked() ? 1 : 0;
        break;
    case SaveDialog::Png: s.PngInterlaced = flag; break;
    case SaveDialog::Gif: s.GifInterlaced = flag; break;
    case SaveDialog::Tiff: s.TiffCompression = index; break;
    case SaveDialog::Tga: s.TgaRle = flag; s.TgaDepth = index; break;
    case SaveDialog::Ras: s.RasRle = flag; s.RasDepth = index; break;
    case SaveDialog::Pcx: s.PcxDepth = index; break;
    case SaveDialog::Bmp: s.BmpDepth = index; break;
    case SaveDialog::Pict: s.PictRle = flag; break;
    case SaveDialog::Dds:
        s.DdsFormat = DdsCodeOfIndex(m_DdsFormat->currentIndex());
        s.DdsMipMaps = m_MipMaps->isChecked() ? 1 : 0;
        s.DdsFlip = m_Flip->isChecked() ? 1 : 0;
        break;
    case SaveDialog::None: break;
    }
    QDialog::accept();
}

bool ShowSaveOptions(SaveDialog kind, CSettings& settings, QWidget* parent)
{
    if (kind == SaveDialog::None)
        return true;
    CSaveOptionsDialog dialog(kind, settings, parent);
    return dialog.exec() == QDialog::Accepted;
}
