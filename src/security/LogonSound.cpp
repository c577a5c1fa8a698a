#include "security/LogonSound.h"

#include "common/FileOperations.h"
#include "data/SystemInfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>
#include <QtEndian>

#include <cmath>

namespace kv::security {

namespace {

constexpr int kRate = 22050;

void appendLe(QByteArray& out, quint32 value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.append(static_cast<char>((value >> (8 * i)) & 0xff));
}

QByteArray wave(const std::vector<std::pair<double, double>>& notes, double attackDecay)
{
    QByteArray samples;
    for (const auto& [frequency, seconds] : notes) {
        const int n = static_cast<int>(seconds * kRate);
        for (int i = 0; i < n; ++i) {
            const double t = static_cast<double>(i) / kRate;
            const double envelope = std::min(1.0, t / 0.01) * std::exp(-attackDecay * t);
            const double value = envelope * (0.6 * std::sin(2 * M_PI * frequency * t) + 0.2 * std::sin(4 * M_PI * frequency * t));
            appendLe(samples, static_cast<quint16>(static_cast<qint16>(value * 20000)), 2);
        }
    }
    QByteArray out("RIFF");
    appendLe(out, static_cast<quint32>(36 + samples.size()), 4);
    out.append("WAVEfmt ");
    appendLe(out, 16, 4);
    appendLe(out, 1, 2);  // PCM
    appendLe(out, 1, 2);  // mono
    appendLe(out, kRate, 4);
    appendLe(out, kRate * 2, 4);
    appendLe(out, 2, 2);
    appendLe(out, 16, 2);
    out.append("data");
    appendLe(out, static_cast<quint32>(samples.size()), 4);
    return out + samples;
}

}  // namespace

LogonSoundChoice chooseLogonSound(const QString& name, const QString& programDir, bool programSoundEnabled)
{
    const QString file = QDir(programDir).filePath(name + QStringLiteral(".wav"));
    if (QFileInfo(file).isFile())
        return {LogonSoundChoice::Source::File, file};
    if (programSoundEnabled && !builtInLogonSound(name).isEmpty())
        return {LogonSoundChoice::Source::BuiltIn, {}};
    return {};
}

QByteArray builtInLogonSound(const QString& name)
{
    if (name == u"AccessGranted")
        return wave({{523.25, 0.30}, {659.25, 0.30}, {783.99, 0.35}}, 3.0);
    if (name == u"AccessDenied")
        return wave({{220.0, 0.40}, {164.81, 0.45}}, 2.0);
    return {};
}

QString BuiltInLogonSoundFile(const QString& name)
{
    const QByteArray wave = builtInLogonSound(name);
    const QString dir = common::PrivateDirectory();
    if (wave.isEmpty() || dir.isEmpty())
        return {};
    const QString file = dir + name + QStringLiteral(".wav");
    const QFileInfo written(file);
    if (written.isFile() && !written.isSymLink() && written.size() == wave.size())
        return file;
    try {
        common::WriteFileReplacing(file, wave);
    } catch (const common::FileWriteError&) {
        return {};
    }
    return file;
}

void PlayLogonSound(const QString& name)
{
    const LogonSoundChoice choice = chooseLogonSound(name, QCoreApplication::applicationDirPath(),
                                                     data::SystemInfo().ProgramSoundEnabled);
    // Without an audio device there is nothing to hear: no effect is made.
    if (choice.source == LogonSoundChoice::Source::None || QMediaDevices::audioOutputs().isEmpty())
        return;
    // The effect plays from a file: the built-in wave is written to the
    // session's private directory, where no other account can swap it.
    const QString file = choice.source == LogonSoundChoice::Source::BuiltIn ? BuiltInLogonSoundFile(name)
                                                                            : choice.file;
    if (file.isEmpty())
        return;
    static QSoundEffect* effect = nullptr;
    if (!effect)
        effect = new QSoundEffect(QCoreApplication::instance());
    effect->setSource(QUrl::fromLocalFile(file));
    effect->play();
}

}  // namespace kv::security
