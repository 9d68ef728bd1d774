#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <csignal>
#include <unistd.h>
#include <functional>

#include "Files.h"
#include "TempFolder.h"

TEST(Files, ExistenceCountsOnlyOrdinaryFiles)
{
    TempFolder dir;
    WriteBytes(dir / "a.txt", "x");
    ASSERT_EQ(::mkdir((dir / "sub").c_str(), 0755), 0);
    EXPECT_TRUE(FileExists(dir / "a.txt"));
    EXPECT_FALSE(FileExists(dir / "sub"));
    EXPECT_FALSE(FileExists(dir / "missing"));
    EXPECT_FALSE(FileExists(""));
    EXPECT_TRUE(FolderExists(dir / "sub"));
    EXPECT_FALSE(FolderExists(dir / "a.txt"));
    ::chmod((dir / "a.txt").c_str(), 0444);
    EXPECT_TRUE(FileExists(dir / "a.txt")) << "a read-only file still exists";
}

TEST(Files, ReadOnlyFilesAreNeitherDeletedNorOpenedForWriting)
{
    TempFolder dir;
    const std::string path = dir / "ro.bin";
    WriteBytes(path, "keep");
    ::chmod(path.c_str(), 0444);
    EXPECT_TRUE(IsReadOnly(path));
    const IoStatus del = DeleteFile(path);
    EXPECT_FALSE(del);
    EXPECT_FALSE(del.Description().empty());
    BinaryWriter w;
    EXPECT_FALSE(w.Create(path));
    EXPECT_EQ(ReadBytes(path), "keep");

    WriteBytes(dir / "rw.bin", "x");
    EXPECT_TRUE(DeleteFile(dir / "rw.bin"));
    EXPECT_FALSE(FileExists(dir / "rw.bin"));
    const IoStatus missing = DeleteFile(dir / "rw.bin");
    EXPECT_FALSE(missing);
    EXPECT_EQ(missing.Description(), IoStatus::FromErrno(ENOENT).Description());
}

TEST(Files, FoldersLengthsAndNames)
{
    TempFolder dir;
    EXPECT_TRUE(CreateFolder(dir / "new/"));
    EXPECT_TRUE(FolderExists(dir / "new"));
    EXPECT_FALSE(CreateFolder(dir / "a/b")) << "only one level is created";
    WriteBytes(dir / "five", "12345");
    EXPECT_EQ(FileLength(dir / "five"), 5);
    EXPECT_EQ(FileLength(dir / "missing"), -1);
    EXPECT_EQ(StoredNameOf(dir / "five"), "five");
    EXPECT_EQ(StoredNameOf(dir / "missing"), "");
    EXPECT_FALSE(CurrentDirectory().empty());
    EXPECT_EQ(CurrentDirectory()[0], '/');
}

TEST(Files, BinaryWriterEmptiesAnExistingLongerFile)
{
    TempFolder dir;
    const std::string path = dir / "piece.001";
    WriteBytes(path, std::string(10000, 'O'));
    BinaryWriter w;
    ASSERT_TRUE(w.Create(path));
    ASSERT_TRUE(w.Write(std::string_view("new")));
    ASSERT_TRUE(w.Close());
    EXPECT_EQ(ReadBytes(path), "new");
}

TEST(Files, BinaryRoundTripThroughTheBuffersAtAnyBlockSize)
{
    TempFolder dir;
    const std::string data = PatternBytes(1'000'003);
    const std::string path = dir / "data.bin";
    for (size_t block : {size_t(1), size_t(4096), size_t(5000), size_t(40'000), size_t(300'000)}) {
        BinaryWriter w;
        ASSERT_TRUE(w.Create(path));
        for (size_t pos = 0; pos < data.size(); pos += block)
            ASSERT_TRUE(w.Write(std::string_view(data).substr(pos, block)));
        EXPECT_EQ(w.Length(), int64_t(data.size()));
        ASSERT_TRUE(w.Close());
        ASSERT_EQ(ReadBytes(path), data) << "block " << block;

        BinaryReader r;
        ASSERT_TRUE(r.Open(path));
        EXPECT_EQ(r.Length(), int64_t(data.size()));
        std::string back;
        std::vector<char> buf(block);
        for (size_t pos = 0; pos < data.size(); pos += block) {
            const size_t n = std::min(block, data.size() - pos);
            ASSERT_TRUE(r.Read(std::span<char>(buf.data(), n)));
            back.append(buf.data(), n);
        }
        EXPECT_EQ(back, data);
        EXPECT_EQ(r.Position(), int64_t(data.size()));
        char extra;
        const IoStatus past = r.Read(std::span<char>(&extra, 1));
        EXPECT_FALSE(past) << "reading past the end is a failure";
        EXPECT_EQ(past.Description(), "ﾌｧｲﾙが途中で終わっています");
    }
}

// The kernel's copy between two files, and the buffered copy where it cannot
// be used (a descriptor opened for appending), give the same bytes: first
// those the reader holds already, then the file's.
TEST(Files, WriteFromCopiesTheReadersNextBytesEitherWay)
{
    TempFolder dir;
    const std::string data = PatternBytes(3'000'001);
    WriteBytes(dir / "source", data);
    for (bool appending : {false, true}) {
        const std::string path = dir / (appending ? "appended" : "copied");
        BinaryWriter w;
        if (appending) ASSERT_TRUE(w.OpenDescriptor(::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644), path));
        else ASSERT_TRUE(w.Create(path));
        BinaryReader r;
        ASSERT_TRUE(r.Open(dir / "source"));
        std::vector<char> head(5000);
        ASSERT_TRUE(r.Read(head));
        ASSERT_TRUE(w.Write({head.data(), 10}));
        ASSERT_TRUE(w.WriteFrom(r, 2'000'000));
        EXPECT_EQ(r.Position(), 2'005'000);
        EXPECT_EQ(w.Length(), 2'000'010);
        ASSERT_TRUE(r.Read({head.data(), 7}));
        ASSERT_TRUE(w.Write({head.data(), 7}));
        const IoStatus past = w.WriteFrom(r, 1'000'000);
        EXPECT_EQ(past.Description(), "ﾌｧｲﾙが途中で終わっています") << appending;
        EXPECT_EQ(past.Subject(), dir / "source") << "the source ended, not the destination";
        ASSERT_TRUE(w.Close());
        EXPECT_EQ(ReadBytes(path).substr(0, 2'000'017),
                  data.substr(0, 10) + data.substr(5000, 2'000'000) + data.substr(2'005'000, 7)) << appending;
    }
}

TEST(Files, OpeningFailuresCarryTheSystemDescription)
{
    TempFolder dir;
    BinaryReader r;
    const IoStatus s = r.Open(dir / "missing");
    EXPECT_FALSE(s);
    EXPECT_EQ(s.Description(), IoStatus::FromErrno(ENOENT).Description());
    EXPECT_FALSE(r.Open(dir.Path())) << "a folder is not a file";
    BinaryWriter w;
    EXPECT_FALSE(w.Create(dir / "no/such/folder/file"));
}

// Every failure names the file it is about, for the terminal's failure line.
TEST(Files, FailuresNameTheirFile)
{
    TempFolder dir;
    WriteBytes(dir / "short", "12");
    WriteBytes(dir / "ro", "x");
    ::chmod((dir / "ro").c_str(), 0444);
    const std::string missing = dir / "missing";
    const std::string noFolder = dir / "no/such";
    std::string line;
    char block[3];
    BinaryReader reader;
    TextFileReader text;
    struct Case { const char* what; std::function<IoStatus()> run; std::string subject; };
    const Case cases[] = {
        {"read past the end",
         [&] {
             IgnoreResult(reader.Open(dir / "short"));
             return reader.Read(block);
         },
         dir / "short"},
        {"create read-only", [&] { BinaryWriter w; return w.Create(dir / "ro"); }, dir / "ro"},
        {"text past the end",
         [&] {
             IgnoreResult(text.Open(dir / "short"));
             IgnoreResult(text.ReadLine(line));
             return text.ReadLine(line);
         },
         dir / "short"},
        {"delete", [&] { return DeleteFile(missing); }, missing},
        {"delete read-only", [&] { return DeleteFile(dir / "ro"); }, dir / "ro"},
        {"folder", [&] { return CreateFolder(noFolder + "/"); }, noFolder},
    };
    for (const Case& c : cases) {
        const IoStatus s = c.run();
        EXPECT_FALSE(s) << c.what;
        EXPECT_EQ(s.Subject(), c.subject) << c.what;
    }
    EXPECT_EQ(reader.Open(dir / "short").Subject(), "") << "a success names nothing";
    EXPECT_EQ(IoStatus::Failure("x").About("inner").About("outer").Subject(), "inner");
}

// A write failure found when the buffer goes out is still a write failure.
TEST(Files, WriteFailureIsReportedAtTheLatestOnClose)
{
    TempFolder dir;
    const std::string path = dir / "big";
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        struct rlimit lim{10000, 10000};
        ::setrlimit(RLIMIT_FSIZE, &lim);
        BinaryWriter w;
        if (!w.Create(path)) ::_exit(10);
        const std::string block(4096, 'x');
        IoStatus s;
        for (int i = 0; i < 4 && s; ++i) s = w.Write(block);  // 16 KiB: stays in the buffer
        if (s) s = w.Close();
        ::_exit(s ? 11 : s.Subject() != path ? 12 : 0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the full file was reported as written";
}

TEST(Files, TextLinesEndWithCrLfInCp932)
{
    TempFolder dir;
    const std::string path = dir / "t.txt";
    WriteBytes(path, std::string(100, 'Z'));
    TextFileWriter w;
    ASSERT_TRUE(w.Create(path));
    ASSERT_TRUE(w.WriteLine("003"));
    ASSERT_TRUE(w.WriteLine("ﾃｽﾄ.avi"));
    ASSERT_TRUE(w.Close());
    EXPECT_EQ(ReadBytes(path), "003\r\n\xC3\xBD\xC4.avi\r\n");

    TextFileWriter u(TextEncoding::Utf8);
    ASSERT_TRUE(u.Create(path));
    ASSERT_TRUE(u.WriteLine("ﾃ"));
    ASSERT_TRUE(u.Close());
    EXPECT_EQ(ReadBytes(path), "ﾃ\r\n");
}

TEST(Files, TextLinesEndAtCrLfCrOrLf)
{
    TempFolder dir;
    const std::string path = dir / "t.txt";
    WriteBytes(path, "005\r\nmovie.avi\r\nthird\rfourth\r\r\nlast");
    TextFileReader r;
    ASSERT_TRUE(r.Open(path));
    std::string line;
    const char* expected[] = {"005", "movie.avi", "third", "fourth", "", "last"};
    for (const char* e : expected) {
        ASSERT_TRUE(r.ReadLine(line));
        EXPECT_EQ(line, e);
    }
    EXPECT_EQ(r.ReadLine(line).Description(), "ﾌｧｲﾙの終わりより先は読めません");

    WriteBytes(path, "a\nb\r\n");  // a lone LF, as a script writes it, ends its line too
    ASSERT_TRUE(r.Open(path));
    ASSERT_TRUE(r.ReadLine(line));
    EXPECT_EQ(line, "a");
    ASSERT_TRUE(r.ReadLine(line));
    EXPECT_EQ(line, "b");

    WriteBytes(path, "");
    ASSERT_TRUE(r.Open(path));
    EXPECT_FALSE(r.ReadLine(line));
}
