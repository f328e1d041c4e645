// Packed data files: one resource each, its bytes scrambled position by
// position behind a 12-byte header with a CRC-16 of the plain bytes. The
// game restores a packed file into the scratch file "data.dat" of its
// scratch directory ("Data/" under ProgramDir, or a private directory) and
// reads that with its ordinary loader.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace resources {

// Names of the scratch file and the music file in the scratch directory.
extern const char* const ScratchFileName;     // "data.dat"
extern const char* const MusicFileName;       // "temp.dat"
// The shared scratch directory under ProgramDir and its lock file there.
extern const char* const DataDirectoryName;   // "Data"
extern const char* const LockFileName;        // ".lock"

// The directory this process unpacks into, with its final "/". The first
// call (and the first after ProgramDir changed or RemoveScratchFiles) makes
// the choice: ProgramDir + "Data/", created when missing (another copy
// creating it at the same moment is fine), when this process can write it
// and takes the advisory lock on its lock file, which it then holds until
// RemoveScratchFiles; otherwise a new private directory "vexmoor-" + six
// letters, of mode 0700, made under $XDG_RUNTIME_DIR, else $TMPDIR, else
// /tmp (the first absolute one where that succeeds), whose lock file this
// process holds until RemoveScratchFiles, so that no other copy takes it
// for abandoned. Throws IoError when no directory at all can be made.
std::string ScratchDirectory();
// A new directory of mode 0700 for this process alone, with its final "/",
// made under the first of $XDG_RUNTIME_DIR, $TMPDIR and /tmp
// where that succeeds (relative or empty settings are passed over). Throws
// IoError when none can be made. The caller removes it.
std::string MakePrivateDirectory();
// Removes the private directories that copies of the game which are no
// longer running left under $XDG_RUNTIME_DIR, $TMPDIR and /tmp (a killed
// copy cannot remove its own), with the files in them. A directory is
// removed only when its name is "vexmoor-" and six letters, it is this
// user's and closed to everyone else, it holds a lock file that no process
// holds, and it holds nothing but scratch files, their partial files and
// that lock file; everything else there is left alone. Failures are
// ignored: the sweep only frees space.
void ReclaimScratchDirectories();
// True while the current choice is a private directory.
bool ScratchDirectoryIsPrivate();

// The full path ScratchDirectory() + ScratchFileName.
std::string ScratchFilePath();
// The full path ScratchDirectory() + MusicFileName.
std::string MusicFilePath();

// Restores the packed file at `path` (used unchanged, opened for reading
// only) into the scratch file, replacing whatever it held; the scratch
// directory is chosen first when it has not been. Returns whether the
// checksum over the restored bytes matches the header; the scratch file is
// written either way, and appears whole or not at all. The body is read,
// restored and written 64 KiB at a time, so memory use does not grow with
// the file. Throws IoError when the packed file cannot be read or is
// shorter than its header; when the scratch directory or file cannot be
// made or written, the IoError names the packed file too, with the reason
// "cannot unpack into " + the scratch path + ": " + the system's reason.
bool UnpackDataFile(const std::string& path);

// Restores the packed file at `path` into `outPath` instead of the scratch
// file; otherwise exactly as UnpackDataFile.
bool UnpackDataFileTo(const std::string& path, const std::string& outPath);

// The first `count` plain bytes of the packed file at `path` (all of them
// when its body is shorter), restored in memory without writing anything,
// and in `plainSize` the length of the whole plain body. The checksum is not
// looked at. Throws IoError when the file cannot be read or is shorter than
// its header.
std::vector<uint8_t> ReadPackedStart(const std::string& path, size_t count, uint64_t& plainSize);

// Where a loader finds the resource `name` of `folder` ("Sprites/", ...):
// ProgramDir + folder + name + looseExtension in development mode, otherwise
// ProgramDir + folder + name + ".dat", the packed file. This is the file a
// failure is reported against: a player can find and replace it.
std::string ResourcePath(const std::string& folder, const std::string& name, const std::string& looseExtension);
// The file a loader reads for that resource: in development mode the loose
// file; otherwise the packed file is restored into the scratch file (its
// checksum verdict ignored: a damaged file still loads what it restores to)
// and the scratch file's path is returned. Throws IoError when the packed
// file cannot be read.
std::string ResourceFile(const std::string& folder, const std::string& name, const std::string& looseExtension);

// Packs the loose file at `sourcePath` into destDir + (its file name without
// the last four characters) + ".dat"; destDir must end in "/" or be empty.
// The file name must end in a dot and a three-character extension: anything
// else throws std::invalid_argument and writes nothing. Throws IoError on a
// file failure. Returns true.
bool PackDataFile(const std::string& sourcePath, const std::string& destDir);

// Ends the scratch directory choice of this process, when one was made:
// in "Data/" it deletes the scratch file, the music file and the safe
// writer's partial files of either, then removes and releases the lock
// (the directory stays); a private directory goes with everything in it.
// Another copy's files are never touched. Failures are ignored; also runs
// by itself when the process exits.
void RemoveScratchFiles();

// The position-dependent byte transform of packed files and its inverse.
void ScrambleByte(uint32_t position, uint8_t& value);
void UnscrambleByte(uint32_t position, uint8_t& value);

// Advances a CRC-16/MODBUS value by one byte (start 0xFFFF, no final XOR).
void Crc16Update(uint8_t value, uint16_t& crc);

}  // namespace resources
