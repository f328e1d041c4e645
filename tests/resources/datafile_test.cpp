#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <stdexcept>

#include "resources/binary_io.h"
#include "resources/datafile.h"
#include "resources/startup.h"
#include "tests/resources/worked_example.h"
#include "tests/support/temp_dir.h"

using namespace resources;
using vxtest::ReadFile;
using vxtest::TempDir;
using vxtest::WriteFile;

namespace {

class DataFileTest : public ::testing::Test {
 protected:
  void SetUp() override { ProgramDir = dir.Slash(); }
  void TearDown() override {
    RemoveScratchFiles();
    ProgramDir.clear();
  }
  TempDir dir;
};

}  // namespace

TEST(Crc16, PublishedCheckValue) {
  uint16_t crc = 0xFFFF;
  for (char c : std::string("123456789")) Crc16Update(static_cast<uint8_t>(c), crc);
  EXPECT_EQ(crc, 0x4B37);  // CRC-16/MODBUS check value
}

TEST(ByteTransform, RoundTripsAndFollowsThePositionCycle) {
  for (uint32_t position = 0; position < 12; ++position) {
    for (int v = 0; v < 256; ++v) {
      uint8_t value = static_cast<uint8_t>(v);
      ScrambleByte(position, value);
      // Net effect: invert the byte rotated right by 2c mod 8 bits.
      const unsigned r = (2 * (position % 5)) % 8;
      const uint8_t rotated = static_cast<uint8_t>((v >> r) | (v << ((8 - r) & 7)));
      ASSERT_EQ(value, static_cast<uint8_t>(~rotated)) << "position " << position << " value " << v;
      UnscrambleByte(position, value);
      ASSERT_EQ(value, v);
    }
  }
  uint8_t zero = 0;
  ScrambleByte(10, zero);
  EXPECT_EQ(zero, 0xFF);  // multiples of 5 only invert
}

TEST_F(DataFileTest, PacksTheWorkedExampleByteForByte) {
  WriteFile(dir / "x.bmp", {'a', 'b', 'c'});
  std::filesystem::create_directory(dir / "out");
  EXPECT_TRUE(PackDataFile(dir / "x.bmp", dir / "out/"));
  EXPECT_EQ(ReadFile(dir / "out/x.dat"), WorkedExample);
}

TEST_F(DataFileTest, UnpacksTheWorkedExampleAndCreatesDataDirectory) {
  WriteFile(dir / "x.dat", WorkedExample);
  ASSERT_FALSE(std::filesystem::exists(dir / "Data"));
  EXPECT_TRUE(UnpackDataFile(dir / "x.dat"));
  EXPECT_EQ(ReadFile(ScratchFilePath()), (std::vector<uint8_t>{'a', 'b', 'c'}));
}

TEST_F(DataFileTest, HeaderOnlyFileUnpacksToAnEmptyScratchFile) {
  // Checksum over the three extension bytes alone; body empty.
  uint16_t crc = 0xFFFF;
  for (char c : std::string("bmp")) Crc16Update(static_cast<uint8_t>(c), crc);
  std::vector<uint8_t> packed(WorkedExample.begin(), WorkedExample.begin() + 12);
  packed[7] = static_cast<uint8_t>(crc);
  packed[8] = static_cast<uint8_t>(crc >> 8);
  WriteFile(dir / "empty.dat", packed);
  EXPECT_TRUE(UnpackDataFile(dir / "empty.dat"));
  EXPECT_TRUE(ReadFile(ScratchFilePath()).empty());
}

TEST_F(DataFileTest, CorruptedBodyIsStillWrittenButReportsMismatch) {
  std::vector<uint8_t> packed = WorkedExample;
  packed[13] ^= 0x01;
  WriteFile(dir / "bad.dat", packed);
  EXPECT_FALSE(UnpackDataFile(dir / "bad.dat"));
  EXPECT_EQ(ReadFile(ScratchFilePath()).size(), 3u);
}

TEST_F(DataFileTest, MagicAndVersionAreNotExamined) {
  std::vector<uint8_t> packed = WorkedExample;
  packed[0] = 'X';
  packed[3] = 7;
  WriteFile(dir / "odd.dat", packed);
  EXPECT_TRUE(UnpackDataFile(dir / "odd.dat"));
}

TEST_F(DataFileTest, ScratchFileIsReplacedNeverAppended) {
  std::filesystem::create_directory(dir / "Data");
  WriteFile(ScratchFilePath(), std::vector<uint8_t>(100, 0x55));
  WriteFile(dir / "x.dat", WorkedExample);
  UnpackDataFile(dir / "x.dat");
  EXPECT_EQ(ReadFile(ScratchFilePath()), (std::vector<uint8_t>{'a', 'b', 'c'}));
}

TEST_F(DataFileTest, RoundTripsAnyBytes) {
  std::vector<uint8_t> original(70000);
  for (size_t i = 0; i < original.size(); ++i) original[i] = static_cast<uint8_t>(i * 131 + (i >> 7));
  WriteFile(dir / "big.wav", original);
  PackDataFile(dir / "big.wav", dir.Slash());
  EXPECT_EQ(ReadFile(dir / "big.dat").size(), original.size() + 12);
  EXPECT_TRUE(UnpackDataFile(dir / "big.dat"));
  EXPECT_EQ(ReadFile(ScratchFilePath()), original);
}

TEST_F(DataFileTest, ChunkBoundariesKeepPositionsAndChecksum) {
  // Bodies that end just before, on and after the 64 KiB chunk boundaries.
  for (size_t size : {size_t{65535}, size_t{65536}, size_t{65537}, size_t{2 * 65536 + 5}}) {
    SCOPED_TRACE(size);
    std::vector<uint8_t> original(size);
    for (size_t i = 0; i < size; ++i) original[i] = static_cast<uint8_t>(i * 7 + (i >> 9));
    WriteFile(dir / "body.wav", original);
    PackDataFile(dir / "body.wav", dir.Slash());
    EXPECT_TRUE(UnpackDataFileTo(dir / "body.dat", dir / "body.out"));
    EXPECT_EQ(ReadFile(dir / "body.out"), original);
    // The last byte of the body lies in the last chunk read.
    std::vector<uint8_t> packed = ReadFile(dir / "body.dat");
    packed.back() ^= 0x10;
    WriteFile(dir / "body.dat", packed);
    EXPECT_FALSE(UnpackDataFileTo(dir / "body.dat", dir / "body.out"));
    const std::vector<uint8_t> restored = ReadFile(dir / "body.out");
    ASSERT_EQ(restored.size(), size);
    EXPECT_NE(restored.back(), original.back());
    EXPECT_TRUE(std::equal(original.begin(), original.end() - 1, restored.begin()));
  }
}

namespace {

// A "VmHWM" or "VmRSS" figure of this process in KiB, or -1.
long StatusKiB(const std::string& field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field + ":", 0) == 0) return std::stol(line.substr(field.size() + 1));
  }
  return -1;
}

}  // namespace

TEST_F(DataFileTest, ABodyStreamsThroughBoundedMemory) {
  constexpr uint64_t BodySize = uint64_t{16} << 20;
  std::vector<uint8_t> header(WorkedExample.begin(), WorkedExample.begin() + 12);
  WriteFile(dir / "sparse.dat", header);
  std::filesystem::resize_file(dir / "sparse.dat", 12 + BodySize);  // a hole: no disk, no memory
  {
    // Makes the peak resident size start again from the current one.
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.close();
    if (!clear) GTEST_SKIP() << "the peak resident size cannot be reset here";
  }
  const long before = StatusKiB("VmHWM");
  ASSERT_GT(before, 0);
  UnpackDataFileTo(dir / "sparse.dat", dir / "sparse.out");
  const long grown = StatusKiB("VmHWM") - before;
  EXPECT_EQ(std::filesystem::file_size(dir / "sparse.out"), BodySize);
  // A whole-body buffer would have made it grow by 16384 KiB.
  EXPECT_LT(grown, 4 * 1024) << "peak resident size grew by " << grown << " KiB";
}

TEST_F(DataFileTest, FailuresRaiseIoErrorNamingTheFile) {
  try {
    UnpackDataFile(dir / "missing.dat");
    FAIL() << "no IoError";
  } catch (const IoError& error) {
    EXPECT_EQ(error.Path(), dir / "missing.dat");
    EXPECT_FALSE(error.Reason().empty());
  }
  WriteFile(dir / "short.dat", {'D', 'D', 'D', 1});
  EXPECT_THROW(UnpackDataFile(dir / "short.dat"), IoError);

  // Where the scratch file cannot be written, the resource is named first.
  WriteFile(dir / "x.dat", WorkedExample);
  std::filesystem::create_directories(dir / "Data/data.dat");
  try {
    UnpackDataFile(dir / "x.dat");
    FAIL() << "no IoError";
  } catch (const IoError& error) {
    EXPECT_EQ(error.Path(), dir / "x.dat");
    EXPECT_EQ(error.Reason().rfind("cannot unpack into " + (dir / "Data/data.dat") + ": ", 0), 0u) << error.Reason();
  }
}

TEST_F(DataFileTest, PackingRefusesNamesWithoutAThreeLetterExtension) {
  for (const char* name : {"noext", "a.toolong", "a.bm", "dir.d/file", ".bmp"}) {
    const std::string source = dir / name;
    std::filesystem::create_directories(std::filesystem::path(source).parent_path());
    WriteFile(source, {1, 2, 3});
    EXPECT_THROW(PackDataFile(source, dir / "out-"), std::invalid_argument) << name;
  }
  for (const auto& entry : std::filesystem::directory_iterator(dir.Slash())) {
    EXPECT_EQ(entry.path().string().find("out-"), std::string::npos) << entry.path();
  }
}

TEST_F(DataFileTest, PackedFileIsOpenedForReadingOnly) {
  WriteFile(dir / "x.dat", WorkedExample);
  ::chmod((dir / "x.dat").c_str(), 0444);
  EXPECT_TRUE(UnpackDataFile(dir / "x.dat"));
}

TEST_F(DataFileTest, RemoveScratchFilesRemovesBothAndToleratesAbsence) {
  RemoveScratchFiles();  // nothing there: no failure
  std::filesystem::create_directory(dir / "Data");
  const std::string scratch = ScratchFilePath();
  const std::string music = MusicFilePath();
  EXPECT_EQ(scratch, dir / "Data/data.dat");
  EXPECT_EQ(music, dir / "Data/temp.dat");
  WriteFile(scratch, {1});
  WriteFile(music, {2});
  RemoveScratchFiles();
  EXPECT_FALSE(std::filesystem::exists(scratch));
  EXPECT_FALSE(std::filesystem::exists(music));
  EXPECT_TRUE(std::filesystem::is_directory(dir / "Data"));
  RemoveScratchFiles();  // again, with nothing chosen
}

TEST(LeReaderWriter, ReadsLittleEndianAndRefusesShortReads) {
  TempDir dir;
  {
    LeWriter writer(dir / "f.bin");
    writer.WriteU8(0x01);
    writer.WriteU16(0x0302);
    writer.WriteU32(0x07060504);
    writer.Commit();
  }
  EXPECT_EQ(ReadFile(dir / "f.bin"), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7}));
  LeReader reader(dir / "f.bin");
  EXPECT_EQ(reader.ReadU8(), 0x01);
  EXPECT_EQ(reader.ReadU16(), 0x0302);
  EXPECT_EQ(reader.ReadU32(), 0x07060504u);
  EXPECT_THROW(reader.ReadU8(), IoError);
  LeReader again(dir / "f.bin");
  EXPECT_THROW(again.ReadVector(1u << 30), IoError);  // refused before allocating
}

// A sparse file of `size` bytes ending in `tail`; false when the file
// system cannot hold a file that large.
bool WriteSparse(const std::string& path, uint64_t size, const std::vector<uint8_t>& tail) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (fd < 0) return false;
  const off_t at = static_cast<off_t>(size - tail.size());
  const bool written = ::pwrite(fd, tail.data(), tail.size(), at) == static_cast<ssize_t>(tail.size());
  return ::close(fd) == 0 && written;
}

// Past 2 GiB, where a 32-bit long ends: a font's glyph table sits at the very
// end of its file, however large the file is.
TEST(LeReaderWriter, ReadsAtOffsetsPastTwoGibibytes) {
  TempDir dir;
  const uint64_t size = (uint64_t{1} << 31) + 10;
  if (!WriteSparse(dir / "large.bin", size, {4, 3, 2, 1})) GTEST_SKIP() << "no room for a sparse 2 GiB file";
  LeReader reader(dir / "large.bin");
  EXPECT_EQ(reader.Size(), size);
  reader.Seek(size - 4);
  EXPECT_EQ(reader.ReadU32(), 0x01020304u);
  EXPECT_EQ(reader.Remaining(), 0u);
  reader.Seek(uint64_t{1} << 31);
  EXPECT_EQ(reader.ReadU16(), 0u);
  EXPECT_THROW(reader.Seek(size + 1), IoError);
}

// Where memory is addressed with 32 bits, a file of more than 4 GiB cannot
// be read whole: it is refused, never cut to its size modulo 4 GiB.
TEST(LeReaderWriter, WholeFileLargerThanMemoryCanHoldIsRefused) {
  if (sizeof(size_t) >= sizeof(uint64_t)) GTEST_SKIP() << "only a 32-bit system has files larger than its memory";
  TempDir dir;
  const uint64_t size = (uint64_t{1} << 32) + 16;
  if (!WriteSparse(dir / "huge.bin", size, {1})) GTEST_SKIP() << "no room for a sparse 4 GiB file";
  try {
    ReadWholeFile(dir / "huge.bin");
    ADD_FAILURE() << "a file of 4 GiB and 16 bytes was read whole";
  } catch (const IoError& error) {
    EXPECT_NE(error.Reason().find("too many to read into memory"), std::string::npos) << error.what();
  }
}

TEST(LeReaderWriter, AnAbandonedWriteLeavesNoFile) {
  TempDir dir;
  WriteFile(dir / "keep.bin", {9, 9});
  {
    LeWriter writer(dir / "keep.bin");
    writer.WriteU8(1);
  }
  EXPECT_EQ(ReadFile(dir / "keep.bin"), (std::vector<uint8_t>{9, 9}));
  size_t files = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.Slash())) ++files;
  EXPECT_EQ(files, 1u);
}
