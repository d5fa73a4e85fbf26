#include "services/quorrel.h"
#include "services/tests/zip_fixtures.h"

#include "testsupport/dialog_answerer.h"
#include "testsupport/temp_folder.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace ziptest;

namespace {

std::uint16_t Le16(const QByteArray& b, qsizetype at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) | (static_cast<unsigned char>(b[at + 1]) << 8));
}
std::uint32_t Le32(const QByteArray& b, qsizetype at) { return Le16(b, at) | (std::uint32_t(Le16(b, at + 2)) << 16); }

class QuorrelSpan : public testsupport::TempFolder {
protected:
    std::unique_ptr<TQuorrel> Make() {
        auto q = std::make_unique<TQuorrel>();
        q->SetUnattended(true);
        q->SetHowToDelete(DeleteOpts::htdFinal);
        q->OnMessage = [this](TQuorrel*, int, const QString& m) { m_messages << m; };
        return q;
    }

    /// A stored archive of about 3 MB of distinct text in files of 100 KB.
    QString MakeBigArchive() {
        const QString src = FilePath(QStringLiteral("src"));
        QDir().mkpath(src);
        const QByteArray text = RepositoryText(3 * 1024 * 1024);
        for (int i = 0; i * 100000 < text.size(); ++i)
            WriteFile(QStringLiteral("%1/part%2.txt").arg(src).arg(i, 2, 10, QChar(u'0')), text.mid(i * 100000, 100000));
        const QString archive = FilePath(QStringLiteral("big.zip"));
        auto q = Make();
        q->SetZipFilename(archive);
        q->SetAddCompLevel(0);
        q->SetFSpecArgs({src + QStringLiteral("/*.txt")});
        q->AddFiles();
        EXPECT_GT(q->SuccessCount(), 20);
        EXPECT_GT(QFileInfo(archive).size(), 3000000);
        return archive;
    }

    QStringList Volumes(const QString& stem) const {
        QStringList v = QDir(Path()).entryList({stem + QStringLiteral("???.zip")}, QDir::Files, QDir::Name);
        for (QString& f : v) f = FilePath(f);
        return v;
    }

    QStringList m_messages;
};

TEST_F(QuorrelSpan, a_3_mb_archive_split_into_64_kb_volumes_joins_back_into_one_unzip_accepts) {
    const QString archive = MakeBigArchive();
    auto q = Make();
    q->SetMaxVolumeSize(65536);
    q->SetMinFreeVolumeSize(32768);
    q->SetKeepFreeOnDisk1(1000);
    ASSERT_EQ(q->SplitToVolumes(archive, FilePath(QStringLiteral("Pack.zip"))), 0) << q->LastMessage();
    const QStringList volumes = Volumes(QStringLiteral("Pack"));
    ASSERT_GT(volumes.size(), 45);
    EXPECT_EQ(volumes.first(), FilePath(QStringLiteral("Pack001.zip")));
    EXPECT_LE(QFileInfo(volumes.first()).size(), 65536 - 1000) << "KeepFreeOnDisk1 on the first volume";
    for (const QString& v : volumes) EXPECT_LE(QFileInfo(v).size(), 65536) << v;
    EXPECT_EQ(QFileInfo(volumes[1]).size(), 65536) << "only the first volume keeps space free";

    // The last volume's end record names itself; every local header and its name lie
    // whole on the volume the directory says.
    q->SetZipFilename(volumes.last());
    EXPECT_EQ(q->LastDisk(), volumes.size() - 1);
    EXPECT_TRUE(q->IsSpanned());
    ASSERT_GT(q->Count(), 20);
    for (const ZipDirEntry& e : q->Contents()) {
        const QByteArray volume = ReadFile(volumes[e.DiskStart]);
        ASSERT_LE(e.RelOffLocal + 30 + e.FileNameLen + e.ExtraFieldLen, volume.size()) << e.FileName;
        EXPECT_EQ(Le32(volume, e.RelOffLocal), 0x04034B50u) << e.FileName;
        EXPECT_EQ(volume.mid(e.RelOffLocal + 30, e.FileNameLen), QString(e.FileName).replace(u'\\', u'/').toUtf8());
    }
    EXPECT_EQ(Le32(ReadFile(volumes.first()), 0), 0x08074B50u);

    QString joined = FilePath(QStringLiteral("joined.zip"));
    ASSERT_EQ(q->JoinVolumes(volumes.last(), joined), 0) << q->LastMessage();
    const RunResult test = RunProgram(QStringLiteral("unzip"), {QStringLiteral("-t"), joined});
    if (HaveProgram(QStringLiteral("unzip"))) { EXPECT_EQ(test.exitCode, 0) << test.output; }
    EXPECT_EQ(ReadFile(joined).size(), QFileInfo(archive).size() - 0) << "the set joins back to the same length";

    // An extract joins the volumes first (into a temporary archive that it removes).
    const QString out = FilePath(QStringLiteral("out"));
    QDir().mkpath(out);
    const QString temp = FilePath(QStringLiteral("temp"));
    QDir().mkpath(temp);
    q->SetTempDir(temp);
    q->SetExtrBaseDir(out);
    q->ExtractFiles();
    EXPECT_EQ(q->SuccessCount(), q->Count());
    EXPECT_EQ(ReadFile(out + QStringLiteral("/part07.txt")), ReadFile(FilePath(QStringLiteral("src/part07.txt"))));
    EXPECT_TRUE(QDir(temp).isEmpty());
}

TEST_F(QuorrelSpan, a_spanned_add_writes_numbered_volumes_through_an_exclusive_temporary_folder) {
    const QString src = FilePath(QStringLiteral("src"));
    WriteTextFiles(src, {QStringLiteral("a.txt"), QStringLiteral("b.txt"), QStringLiteral("c.txt")});
    const QString temp = FilePath(QStringLiteral("temp"));
    QDir().mkpath(temp);
    auto q = Make();
    q->SetVerbose(true);
    q->SetTempDir(temp);
    q->SetAddOptions(AddOptsEnum::AddDiskSpan | AddOptsEnum::AddMove);
    q->SetMaxVolumeSize(2048);
    q->SetMinFreeVolumeSize(1024);
    q->SetZipFilename(FilePath(QStringLiteral("Set.zip")));
    q->SetFSpecArgs({src + QStringLiteral("/*.txt")});
    q->AddFiles();
    EXPECT_EQ(q->SuccessCount(), 3);
    EXPECT_GE(Volumes(QStringLiteral("Set")).size(), 2);
    EXPECT_TRUE(QDir(temp).isEmpty()) << "the temporary archive is removed";
    EXPECT_TRUE(QDir(src).isEmpty()) << "the sources go once the volumes are written";
    EXPECT_EQ(m_messages.filter(QStringLiteral("Temporary zipfile: ")).size(), 1);
    EXPECT_EQ(m_messages.filter(QStringLiteral("Now creating spanning chunks from ")).size(), 1);
    EXPECT_EQ(m_messages.filter(QStringLiteral("Copying: a.txt")).size(), 1);
}

TEST_F(QuorrelSpan, questions_the_split_would_ask_give_11025_when_unattended_and_are_asked_otherwise) {
    const QString archive = FilePath(QStringLiteral("small.zip"));
    QFile::copy(DataPath(QStringLiteral("corpus/plain.zip")), archive);
    const QString target = FilePath(QStringLiteral("Pack.zip"));
    WriteFile(FilePath(QStringLiteral("Pack001.zip")), "earlier volume");
    {
        auto q = Make();
        EXPECT_EQ(q->SplitToVolumes(archive, target), -7);
        EXPECT_EQ(q->LastMessage(), QStringLiteral("Unattended disk spanning not implemented"));
        EXPECT_EQ(ReadFile(FilePath(QStringLiteral("Pack001.zip"))), "earlier volume");
    }
    struct Case {
        const char* label;
        ui::Button answer;
        int result;
    };
    const Case cases[] = {{"Cancel", ui::Button::Cancel, -7}, {"No", ui::Button::No, -7}, {"Yes", ui::Button::Yes, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        testsupport::DialogAnswerer answers;
        answers.ExpectMessage(QStringLiteral("^There is already a file .*Pack001\\.zip\nDo you want to overwrite this file$"),
                              c.answer, ui::MessageKind::Warning);
        TQuorrel q;
        EXPECT_EQ(q.SplitToVolumes(archive, target), c.result);
        if (c.result != 0) { EXPECT_EQ(q.LastMessage(), QStringLiteral("User canceled operation")) << "reported, not shown"; }
        ASSERT_EQ(answers.Messages().size(), 1u);
        EXPECT_EQ(answers.Messages()[0].caption, QStringLiteral("Confirm"));
        EXPECT_EQ(answers.Messages()[0].defaultButton, ui::Button::No);
    }
    // Too little room for a volume: the retry question, and the file just made is deleted.
    QFile::remove(FilePath(QStringLiteral("Pack001.zip")));
    {
        testsupport::DialogAnswerer answers;
        answers.ExpectMessage(QStringLiteral("^This disk has not enough free space available$"), ui::Button::Cancel,
                              ui::MessageKind::Error);
        TQuorrel q;
        q.SetMaxVolumeSize(1000);
        q.SetMinFreeVolumeSize(2000);
        EXPECT_EQ(q.SplitToVolumes(archive, target), -7);
        EXPECT_FALSE(QFileInfo::exists(FilePath(QStringLiteral("Pack001.zip"))));
    }
    {
        auto q = Make();
        q->SetMaxVolumeSize(1000);
        q->SetMinFreeVolumeSize(2000);
        EXPECT_EQ(q->SplitToVolumes(archive, target), -7);
        EXPECT_EQ(q->LastMessage(), QStringLiteral("Unattended disk spanning not implemented"));
    }
}

TEST_F(QuorrelSpan, a_header_never_starts_a_volume_it_cannot_finish_and_an_impossible_one_stops) {
    // Names of 200 characters on volumes of 1000 bytes: each header moves to a fresh volume
    // when the rest of the current one is too small; a volume smaller than one header stops.
    const QString src = FilePath(QStringLiteral("src"));
    QDir().mkpath(src);
    QStringList names;
    for (int i = 0; i < 4; ++i) names << QString(196, QChar(u'a' + i)) + QStringLiteral(".txt");
    WriteTextFiles(src, names);
    const QString archive = FilePath(QStringLiteral("long.zip"));
    {
        auto q = Make();
        q->SetZipFilename(archive);
        q->SetFSpecArgs({src + QStringLiteral("/*.txt")});
        q->AddFiles();
        ASSERT_EQ(q->SuccessCount(), 4);
    }
    auto q = Make();
    q->SetMaxVolumeSize(1000);
    q->SetMinFreeVolumeSize(500);
    ASSERT_EQ(q->SplitToVolumes(archive, FilePath(QStringLiteral("Long.zip"))), 0) << q->LastMessage();
    const QStringList volumes = Volumes(QStringLiteral("Long"));
    q->SetZipFilename(volumes.last());
    ASSERT_EQ(q->Count(), 4);
    for (const ZipDirEntry& e : q->Contents())
        EXPECT_LE(e.RelOffLocal + 30 + e.FileNameLen + e.ExtraFieldLen, QFileInfo(volumes[e.DiskStart]).size());
    QString joined = Path();
    ASSERT_EQ(q->JoinVolumes(volumes.last(), joined), 0) << q->LastMessage();
    EXPECT_TRUE(QFileInfo(joined).fileName().startsWith(QStringLiteral("zip"))) << joined;
    if (HaveProgram(QStringLiteral("unzip"))) {
        EXPECT_EQ(RunProgram(QStringLiteral("unzip"), {QStringLiteral("-t"), joined}).exitCode, 0);
    }

    auto tiny = Make();
    tiny->SetMaxVolumeSize(200);
    tiny->SetMinFreeVolumeSize(100);
    EXPECT_EQ(tiny->SplitToVolumes(archive, FilePath(QStringLiteral("Tiny.zip"))), -7);
    EXPECT_EQ(tiny->LastMessage(), QStringLiteral("This disk has not enough free space available"));
    EXPECT_LT(Volumes(QStringLiteral("Tiny")).size(), 3);
}

TEST_F(QuorrelSpan, entries_with_data_descriptors_split_and_join_with_their_directory_sizes) {
    auto q = Make();
    q->SetMaxVolumeSize(3000);
    q->SetMinFreeVolumeSize(1000);
    ASSERT_EQ(q->SplitToVolumes(DataPath(QStringLiteral("corpus/streamed.zip")), FilePath(QStringLiteral("S.zip"))), 0)
        << q->LastMessage();
    QString joined = FilePath(QStringLiteral("back.zip"));
    ASSERT_EQ(q->JoinVolumes(Volumes(QStringLiteral("S")).last(), joined), 0) << q->LastMessage();
    EXPECT_EQ(ReadFile(joined), ReadFile(DataPath(QStringLiteral("corpus/streamed.zip"))));
}

TEST_F(QuorrelSpan, joining_from_a_volume_that_is_not_the_last_names_the_volume_chosen) {
    const QString archive = MakeBigArchive();
    auto q = Make();
    q->SetMaxVolumeSize(700000);
    ASSERT_EQ(q->SplitToVolumes(archive, FilePath(QStringLiteral("Five.zip"))), 0);
    ASSERT_EQ(Volumes(QStringLiteral("Five")).size(), 5);
    struct Case {
        const char* volume;
        const char* message;
    };
    const Case cases[] = {
        {"Five001.zip", "This is the first disk in a backup set,\nplease insert the last disk of this set"},
        {"Five003.zip", "This is the 3th disk in a backup set,\nplease insert the last disk of this set"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.volume);
        QString target = FilePath(QStringLiteral("joined.zip"));
        EXPECT_EQ(q->JoinVolumes(FilePath(QLatin1String(c.volume)), target), -7);
        EXPECT_EQ(q->LastMessage(), QLatin1String(c.message));
        EXPECT_TRUE(target.isEmpty());
        EXPECT_FALSE(QFileInfo::exists(FilePath(QStringLiteral("joined.zip")))) << "the partial archive is deleted";
    }
}

TEST_F(QuorrelSpan, erasing_disks_onto_a_removable_medium_fails_with_11007_shown_and_a_reason) {
    services::SetDriveProbe([](const QString&) { return services::DriveKind::Removable; });
    struct Restore {
        ~Restore() { services::SetDriveProbe({}); }
    } restore;
    testsupport::DialogAnswerer answers;
    answers.ExpectMessage(QStringLiteral("^User canceled operation\nDisks cannot be formatted here"), ui::Button::Ok);
    TQuorrel q;
    q.SetAddOptions(AddOptsEnum::AddDiskSpanErase);
    EXPECT_EQ(q.SplitToVolumes(DataPath(QStringLiteral("corpus/plain.zip")), FilePath(QStringLiteral("R.zip"))), -7);
    EXPECT_TRUE(Volumes(QStringLiteral("R")).isEmpty());
}

TEST_F(QuorrelSpan, a_cancelled_split_stops_at_its_next_write_without_showing_a_message) {
    testsupport::DialogAnswerer answers;  // no prompt expected
    TQuorrel q;
    q.SetMaxVolumeSize(4096);
    q.SetMinFreeVolumeSize(1024);
    int volumesStarted = 0;
    q.OnProgress = [&volumesStarted](TQuorrel* s, ProgrType t, const QString&, std::int64_t) {
        if (t == ProgrType::ptFileStart && ++volumesStarted == 2) s->SetCancelRequested(true);
    };
    EXPECT_EQ(q.SplitToVolumes(DataPath(QStringLiteral("corpus/plain.zip")), FilePath(QStringLiteral("C.zip"))), -7);
    EXPECT_EQ(q.LastMessage(), QStringLiteral("User canceled operation"));
    EXPECT_FALSE(q.AddBusy());
}

}  // namespace
