// SPDX-License-Identifier: GPL-3.0-or-later
// The media of messages in the conversation pane (pictures decoded off the window's
// thread, tiles for the rest, a click opening the file), the pictures' reading (HEIC
// included), and the pictures on the PDF's pages.
#include <QAccessible>
#include <QLocale>
#include <QTest>
#include <QUrl>
#include <filesystem>
#include <fstream>
#include <libheif/heif.h>

#include "FormFixture.h"
#include "Formats/MessageMedia.h"
#include "MBConversation/ConversationView.h"
#include "MBConversation/TConversation.h"
#include "MBConversation/Thumbnails.h"
#include "MBrowser/MessageGrid.h"
#include "MBrowser/MessageGridModel.h"
#include "Pages/MediaPicture.h"
#include "Pages/MessagePages.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

const std::string Anna = "+15555550100";
const QColor Red(0xE0, 0x10, 0x10);

// A picture of one colour, saved in `format`; returns its path.
std::string SavePicture(const fs::path& path, QSize size, const QColor& colour, const char* format) {
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(colour);
    EXPECT_TRUE(picture.save(QString::fromStdString(path.string()), format));
    return path.string();
}

// A HEIC picture of one colour made by libheif's encoder; false when it has none.
bool SaveHeic(const fs::path& path, QSize size, const QColor& colour) {
    heif_context* context = heif_context_alloc();
    heif_encoder* encoder = nullptr;
    bool saved = false;
    if (heif_context_get_encoder_for_format(context, heif_compression_HEVC, &encoder).code == heif_error_Ok) {
        heif_image* image = nullptr;
        heif_image_create(size.width(), size.height(), heif_colorspace_RGB, heif_chroma_interleaved_RGB, &image);
        heif_image_add_plane(image, heif_channel_interleaved, size.width(), size.height(), 8);
        int stride = 0;
        std::uint8_t* plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x) {
                std::uint8_t* pixel = plane + y * stride + x * 3;
                pixel[0] = static_cast<std::uint8_t>(colour.red());
                pixel[1] = static_cast<std::uint8_t>(colour.green());
                pixel[2] = static_cast<std::uint8_t>(colour.blue());
            }
        heif_encoder_set_lossy_quality(encoder, 90);
        saved = heif_context_encode_image(context, image, encoder, nullptr, nullptr).code == heif_error_Ok &&
                heif_context_write_to_file(context, path.string().c_str()).code == heif_error_Ok;
        heif_image_release(image);
        heif_encoder_release(encoder);
    }
    heif_context_free(context);
    return saved;
}

bool Reddish(QRgb c) { return qRed(c) > 180 && qGreen(c) < 80 && qBlue(c) < 80; }

class ConversationMediaTest : public FormTest {
protected:
    fs::path MediaFolder() const { return fs::path(Documents.path().toStdString()) / "messages.media"; }
    std::string Picture, Video;

    // A collection of Anna's: a picture alone, words with a video, a damaged picture.
    TMBForm& OpenWithMedia() {
        MsgStore source;
        AddMessage(source, "2024.05.01 10:00", Anna, "[image]", MsgMms | MsgReceived, "Anna Berg");
        AddMessage(source, "2024.05.01 10:05", Anna, "Look at this\r\n[video]", MsgMms | MsgSent, "Anna Berg");
        AddMessage(source, "2024.05.01 10:09", Anna, "[image]", MsgMms | MsgReceived, "Anna Berg");
        Renumber(source);
        const std::string path = Documents.path().toStdString() + "/messages.kst";
        EXPECT_EQ(WriteDataFile(source, path), 0);
        WriteConfig([&](Settings& s, WindowSize&) { s.Defaults.LastSavedFile = path; });
        TMBForm& form = Open();
        fs::create_directories(MediaFolder());
        Picture = SavePicture(MediaFolder() / (std::string(64, 'a') + ".png"), {400, 300}, Red, "PNG");
        Video = (MediaFolder() / (std::string(64, 'b') + ".3gp")).string();
        std::ofstream(Video) << "not really a video";
        form.Media = MediaIndex(MediaFolder().string());
        for (std::int32_t n = 1; n <= form.S.MessageCount; ++n) {
            const XMsgRecType& m = form.S.Messages[static_cast<std::size_t>(n)];
            if (m.Time.view() == "2024.05.01 10:00") form.Media.Set(m, {{fs::path(Picture).filename().string(), "image/png", "", 1234, false}});
            if (m.Time.view() == "2024.05.01 10:05") form.Media.Set(m, {{fs::path(Video).filename().string(), "video/3gpp", "", 43'008, false}});
            if (m.Time.view() == "2024.05.01 10:09") form.Media.Set(m, {{"", "image/jpeg", "", 0, true}});
        }
        form.resize(1100, 700);
        form.ConversationMainMenu->trigger();
        form.MessageView->selectionModel()->setCurrentIndex(form.MessageModel->index(0, MessageColumn),
                                                            QItemSelectionModel::ClearAndSelect);
        form.FollowInConversation(true);
        QApplication::processEvents();
        return form;
    }
    int IndexOfTime(ConversationView& view, std::string_view time) {
        for (int i = 0; i < view.Count(); ++i)
            if (Form->S.Messages[static_cast<std::size_t>(view.MessageAt(i))].Time.view() == time) return i;
        return -1;
    }
    int Opened() const {
        return static_cast<int>(std::count_if(Answers.Asked.begin(), Answers.Asked.end(),
                                              [](const AskedQuestion& q) { return q.Kind == "OpenUrl"; }));
    }
};

}  // namespace

TEST_F(ConversationMediaTest, PicturesAppearOnceDecodedAndEveryMediumOpensOrSaysWhatItIs) {
    TMBForm& form = OpenWithMedia();
    ConversationView& view = *form.Conversation->View;
    ASSERT_EQ(view.Count(), 3);
    const int picture = IndexOfTime(view, "2024.05.01 10:00"), video = IndexOfTime(view, "2024.05.01 10:05"),
              damaged = IndexOfTime(view, "2024.05.01 10:09");
    // The words that stood for the media give way to them; a screen reader hears what they are.
    EXPECT_EQ(view.ShownText(picture), "");
    EXPECT_EQ(view.ShownText(video), "Look at this");
    EXPECT_EQ(view.ItemName(picture), "Received 2024.05.01 10:00: Picture, PNG, 1 KB");
    EXPECT_EQ(view.ItemName(video), "Sent 2024.05.01 10:05: Look at this. Video, 3GPP, 42 KB");
    EXPECT_EQ(view.ItemName(damaged), "Received 2024.05.01 10:09: picture could not be read");
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(&view);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->child(damaged)->text(QAccessible::Name), view.ItemName(damaged));

    // Painting never waits for a decode: first a placeholder, the picture once decoded.
    view.MoveTo(picture);
    const QRect box = view.MediaRectsOf(picture).at(0);
    ASSERT_TRUE(view.viewport()->rect().contains(box)) << "the picture is in sight";
    const QPoint middle = box.center() * view.viewport()->devicePixelRatioF();
    EXPECT_FALSE(Reddish(view.viewport()->grab().toImage().pixel(middle)));
    view.Pictures().WaitForDecodes();
    EXPECT_TRUE(Reddish(view.viewport()->grab().toImage().pixel(middle)));
    // The damaged picture's tile is the same height as the video's: tiles take no picture's room.
    EXPECT_EQ(view.MediaRectsOf(damaged).at(0).height(), view.MediaRectsOf(video).at(0).height());
    EXPECT_LT(view.MediaRectsOf(damaged).at(0).height(), box.height());

    // A click on a picture or a tile opens its file; a damaged one has none to open.
    const struct {
        int Index;
        std::string File;  // empty: nothing opens
    } clicks[] = {{picture, Picture}, {video, Video}, {damaged, ""}};
    for (const auto& click : clicks) {
        SCOPED_TRACE(click.Index);
        const int before = Opened();
        view.MoveTo(click.Index);
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.MediaRectsOf(click.Index).at(0).center());
        ASSERT_EQ(Opened(), before + (click.File.empty() ? 0 : 1));
        if (!click.File.empty()) {
            EXPECT_EQ(Answers.Asked.back().Text, QUrl::fromLocalFile(QString::fromStdString(click.File)).toString());
        }
    }
    // Enter opens a bubble's medium from the keyboard.
    view.setFocus();
    view.MoveTo(video);
    QTest::keyClick(&view, Qt::Key_Return);
    EXPECT_EQ(Answers.Asked.back().Text, QUrl::fromLocalFile(QString::fromStdString(Video)).toString());
}

TEST(MediaPictures, PicturesAreReadScaledAndWhatIsNoPictureIsRefused) {
    TempDir dir;
    const bool heic = SaveHeic(dir.Path() / "photo.heic", {64, 48}, Red);
    ASSERT_TRUE(heic) << "libheif has no HEVC encoder";
    struct Case {
        std::string File;
        QSize Size, Box, Scaled;  // invalid Size: refused
    };
    const Case cases[] = {
        {SavePicture(dir.Path() / "wide.png", {400, 300}, Red, "PNG"), {400, 300}, {200, 200}, {200, 150}},
        {SavePicture(dir.Path() / "small.jpg", {40, 30}, Red, "JPEG"), {40, 30}, {200, 200}, {40, 30}},  // never enlarged
        {(dir.Path() / "photo.heic").string(), {64, 48}, {32, 32}, {32, 24}},
        {dir.Write("noise.jpg", std::string(300, '\x5A')), {}, {200, 200}, {}},
        {dir.Write("empty.png", ""), {}, {200, 200}, {}},
        {dir.Write("cut.heic", std::string("\0\0\0\x18" "ftypheic\0\0\0\0mif1heic", 24)), {}, {200, 200}, {}},
        {(dir.Path() / "missing.png").string(), {}, {200, 200}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.File);
        const QString path = QString::fromStdString(c.File);
        EXPECT_EQ(PictureSize(path), c.Size);
        const QImage read = ReadScaledPicture(path, c.Box);
        EXPECT_EQ(read.isNull() ? QSize() : read.size(), c.Scaled);
        if (!read.isNull()) {
            EXPECT_TRUE(Reddish(read.pixel(read.width() / 2, read.height() / 2)));
        }
    }
}

TEST(MediaPictures, TheThumbnailsKeepToTheirBudget) {
    TempDir dir;
    Thumbnails thumbnails(nullptr, 1024 * 1024);
    QImage image;
    for (int k = 0; k < 40; ++k) {
        const QString path = QString::fromStdString(SavePicture(dir.Path() / (std::to_string(k) + ".png"), {300, 300}, Red, "PNG"));
        EXPECT_EQ(thumbnails.Find(path, {200, 200}, image), Thumbnails::State::Waiting);
        thumbnails.WaitForDecodes();
        EXPECT_EQ(thumbnails.Find(path, {200, 200}, image), Thumbnails::State::Ready);
        EXPECT_EQ(image.size(), QSize(200, 200));
        EXPECT_LE(thumbnails.KeptBytes(), 1024 * 1024);
    }
    EXPECT_EQ(thumbnails.Find(QString::fromStdString(dir.Write("bad.png", "x")), {200, 200}, image), Thumbnails::State::Waiting);
    thumbnails.WaitForDecodes();
    EXPECT_EQ(thumbnails.Find(QString::fromStdString((dir.Path() / "bad.png").string()), {200, 200}, image),
              Thumbnails::State::Unreadable);
}

TEST(MediaPictures, ThePdfPlacesAPictureUnderItsMessage) {
    TempDir dir;
    MsgStore S;
    AddMessage(S, "2024.05.01 10:00", Anna, "[image]\r\n[image]", MsgMms | MsgReceived);
    AddMessage(S, "2024.05.01 10:01", Anna, "Words only", MsgSms | MsgReceived);
    Renumber(S);
    const std::string picture = SavePicture(dir.Path() / (std::string(64, 'e') + ".png"), {300, 200}, Red, "PNG");
    MediaIndex index(dir.Path().string());
    index.Set(S.Messages[1], {{fs::path(picture).filename().string(), "image/png", "", 99, false}, {"", "image/jpeg", "", 0, true}});
    MessageMedia media;
    media.Index = &index;
    const std::int32_t rows[] = {1, 2};
    const auto images = [](const QByteArray& pdf) { return pdf.count("/Subtype /Image"); };
    EXPECT_EQ(images(PdfExport(S, rows, ExportLook{}, QLocale(QLocale::English, QLocale::UnitedStates))), 0);
    const QByteArray pdf = PdfExport(S, rows, ExportLook{}, QLocale(QLocale::English, QLocale::UnitedStates), {}, &media);
    EXPECT_EQ(images(pdf), 1);
}
