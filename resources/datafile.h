// Packed data files: one resource each, its bytes scrambled position by
// position behind a 12-byte header with a CRC-16 of the plain bytes. The
// game restores a packed file into the scratch file "Data/data.dat" under
// ProgramDir and reads that with its ordinary loader.
#pragma once

#include <cstdint>
#include <string>

namespace resources {

// Names under ProgramDir of the scratch file and the music file.
extern const char* const ScratchFileName;  // "Data/data.dat"
extern const char* const MusicFileName;    // "Data/temp.dat"

// The full path ProgramDir + ScratchFileName.
std::string ScratchFilePath();
// The full path ProgramDir + MusicFileName.
std::string MusicFilePath();

// Restores the packed file at `path` (used unchanged, opened for reading
// only) into the scratch file, replacing whatever it held, and creates
// "Data/" under ProgramDir first when it is missing. Returns whether the
// checksum over the restored bytes matches the header; the scratch file is
// written either way, and appears whole or not at all. The body is read,
// restored and written 64 KiB at a time, so memory use does not grow with
// the file. Throws IoError when the packed file cannot be read, is shorter
// than its header, or the scratch file cannot be written.
bool UnpackDataFile(const std::string& path);

// Restores the packed file at `path` into `outPath` instead of the scratch
// file; otherwise exactly as UnpackDataFile.
bool UnpackDataFileTo(const std::string& path, const std::string& outPath);

// Packs the loose file at `sourcePath` into destDir + (its file name without
// the last four characters) + ".dat"; destDir must end in "/" or be empty.
// The file name must end in a dot and a three-character extension: anything
// else throws std::invalid_argument and writes nothing. Throws IoError on a
// file failure. Returns true.
bool PackDataFile(const std::string& sourcePath, const std::string& destDir);

// Deletes the scratch file and then the music file under ProgramDir, each
// when present; failures are ignored and the directory stays.
void RemoveScratchFiles();

// The position-dependent byte transform of packed files and its inverse.
void ScrambleByte(uint32_t position, uint8_t& value);
void UnscrambleByte(uint32_t position, uint8_t& value);

// Advances a CRC-16/MODBUS value by one byte (start 0xFFFF, no final XOR).
void Crc16Update(uint8_t value, uint16_t& crc);

}  // namespace resources
