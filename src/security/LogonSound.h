#pragma once

#include <QByteArray>
#include <QString>

namespace kv::security {

// Which sound the logon plays: a wave file of that name beside the program
// wins (whatever the settings say); otherwise the built-in sound, when
// program sounds are on.
struct LogonSoundChoice {
    enum class Source { None, File, BuiltIn } source = Source::None;
    QString file;  // for File
};
LogonSoundChoice chooseLogonSound(const QString& name, const QString& programDir, bool programSoundEnabled);

// The built-in sounds, made by the program: "AccessGranted" (a rising
// chime) and "AccessDenied" (a falling buzz), as 16-bit mono wave data.
QByteArray builtInLogonSound(const QString& name);

// The built-in sound written as a wave file in the session's private
// directory (kept when already written); empty when it cannot be written
// there or there is no such sound.
QString BuiltInLogonSoundFile(const QString& name);

// Plays "AccessGranted" or "AccessDenied" without waiting. Without an audio
// device nothing is heard and nothing is reported.
void PlayLogonSound(const QString& name);

}  // namespace kv::security
