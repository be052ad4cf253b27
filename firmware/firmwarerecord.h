#pragma once

// Std
#include <memory>
#include <optional>

// Qt
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

#include "firmwareformat.h"
#include "settings.h"

class IFirmwareUi;
namespace FileError {
struct Cause;
}
namespace SaveFile {
struct Target;
}

namespace Firmware {

// What loading or writing a file did.
enum class FileResult {
    Done,       // decoded; or written (for a check: would be written)
    Unchanged,  // loading only: the path is the one already loaded, and nothing was read
    Refused,    // nothing taken or written: the user was told, or declined to replace a file
};

}  // namespace Firmware

// The settings record: the one in-memory model of the firmware being customised, its settings
// and the image they came from. LoadFirmware fills it from a file; WriteFirmware encodes the
// settings into a copy of the image and saves that. Only these two touch the image buffer.
class CFirmwareRecord : public Firmware::Settings
{
public:
    explicit CFirmwareRecord(IFirmwareUi *ui);
    ~CFirmwareRecord();
    CFirmwareRecord(const CFirmwareRecord &) = delete;
    CFirmwareRecord &operator=(const CFirmwareRecord &) = delete;

    // Done, Unchanged (the path is the one already loaded) or Refused. The record takes the file
    // only when it is decoded: a refusal leaves it as it was.
    Firmware::FileResult LoadFirmware(const QString &path);
    // As LoadFirmware, for an image that arrived as bytes rather than under a name (standard
    // input); `name` stands for the file in messages. Done or Refused.
    Firmware::FileResult LoadFirmwareData(QByteArrayView data, const QString &name);
    // Save writes; Check makes every check and asks every question that Save would, then
    // stops short of changing the record or the file system (a dry run).
    enum class WriteMode { Save, Check };
    // Done (written, or for Check would be written) or Refused (user told, or declined to
    // overwrite). The settings are encoded into a copy of the image; the record takes that copy,
    // in the layout of the written file, only once it is saved.
    Firmware::FileResult WriteFirmware(const QString &path, WriteMode mode = WriteMode::Save);
    // After WriteFirmware gave Done: the file was written under its name, but something after that
    // failed and the user was told (its flush to disk, or the removal of a temporary file).
    bool WriteHadProblem() const { return m_bWriteProblem; }
    // As WriteFirmware, but the file goes into `file` (for standard output) instead of a file:
    // `kind` is its layout, KindRom or KindUpgrade to convert, any other to keep the record's;
    // `name` stands for the target. Done or Refused (user told).
    Firmware::FileResult WriteFirmwareData(int kind, const QString &name, QByteArray &file,
                                           WriteMode mode = WriteMode::Save);

    // Where the image starts in the buffer: 512 for an upgrade file, else 0.
    int ImageBase() const { return m_nFileKind == Firmware::KindUpgrade ? Firmware::kHeaderSize : 0; }
    // The buffer, or null before the first load.
    const quint8 *Image() const { return m_pImage.get(); }

    // Two paths name the same file by the file system's rules for letter case.
    static bool SamePath(const QString &a, const QString &b);

public:  // file state
    int m_nFileLength = 0;
    QString m_strSourceFile;
    QString m_strTargetFile;
    int m_nVersionNumber = 0;

private:
    // The image buffer: null until the first load, then kBufferSize bytes. Only loading and
    // writing change it.
    std::unique_ptr<quint8[]> m_pImage;
    // Tests reach the buffer through it, to give the record an image no file could load.
    friend struct RecordImageAccess;

    QString Quoted(const QString &text) const;
    struct Loaded;

    QString Described(const FileError::Cause &cause) const;
    Firmware::FileResult Refuse(const FileError::Cause &cause, const QString &caption) const;
    Firmware::FileResult Refuse(const QString &text, const QString &caption) const;
    std::optional<QString> Prepare(qint64 size, Loaded &in) const;
    Firmware::FileResult Decode(Loaded &in, const QString &path);
    bool CheckFits(bool &encodeStrings) const;
    void Encode(quint8 *image, bool encodeStrings) const;
    std::unique_ptr<quint8[]> Encoded(int targetKind, bool encodeStrings, int &kind, int &length) const;
    void Take(std::unique_ptr<quint8[]> image, int kind, int length, const QString &target);
    Firmware::FileResult ConfirmAndSave(const QString &path, SaveFile::Target &target, const quint8 *data, int length,
                                        WriteMode mode);

    IFirmwareUi *m_pUi;
    bool m_bWriteProblem = false;
};
