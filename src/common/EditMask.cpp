#include "common/EditMask.h"

#include <QStringList>

#include <algorithm>

namespace kv::common {

namespace {

// The catalogue's input markers and the Qt marker of the same kind.
struct InputMarker {
    char catalogue;
    char qt;
};

constexpr InputMarker kInputMarkers[] = {
    {.catalogue = '0', .qt = '9'}, {.catalogue = '9', .qt = '0'}, {.catalogue = '#', .qt = '#'},
    {.catalogue = 'L', .qt = 'A'}, {.catalogue = 'l', .qt = 'a'}, {.catalogue = 'A', .qt = 'N'},
    {.catalogue = 'a', .qt = 'n'}, {.catalogue = 'C', .qt = 'X'}, {.catalogue = 'c', .qt = 'x'},
};

// Characters with a meaning in a Qt input mask: as literals they are escaped.
bool specialInQt(QChar c) { return QStringLiteral("AaNnXx90Dd#HhBb<>!\\[]{};").contains(c); }

// The mask's three fields, split at semicolons that are not escaped.
QStringList maskFields(const QString& text)
{
    QStringList fields(1);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\\') && i + 1 < text.size() && fields.size() == 1) {
            fields.last() += c;
            fields.last() += text.at(++i);
        } else if (c == QLatin1Char(';')) {
            fields << QString();
        } else {
            fields.last() += c;
        }
    }
    return fields;
}

}  // namespace

QString EditMask::qtInputMask() const
{
    return isEmpty() ? QString() : inputMask + QLatin1Char(';') + blank;
}

EditMask TranslateEditMask(const QString& editMask)
{
    EditMask mask;
    const QStringList fields = maskFields(editMask);
    if (fields.size() > 1)
        mask.saveLiterals = fields.at(1).trimmed() != u"0";
    if (fields.size() > 2 && !fields.at(2).isEmpty())
        mask.blank = fields.at(2).at(0);

    const QString& text = fields.first();
    const auto literal = [&mask](QChar c) {
        if (specialInQt(c))
            mask.inputMask += QLatin1Char('\\');
        mask.inputMask += c;
        mask.places.emplace_back(c);
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const QChar next = i + 1 < text.size() ? text.at(i + 1) : QChar();
        if (c == QLatin1Char('\\')) {
            if (!next.isNull()) {
                literal(next);
                ++i;
            }
            continue;
        }
        if (c == QLatin1Char('!'))
            continue;  // where optional blanks show: no Qt counterpart
        if (c == QLatin1Char('<') && next == QLatin1Char('>')) {
            mask.inputMask += QLatin1Char('!');  // case conversion off
            ++i;
            continue;
        }
        if (c == QLatin1Char('>') || c == QLatin1Char('<')) {
            mask.inputMask += c;
            continue;
        }
        const auto* marker = std::find_if(std::begin(kInputMarkers), std::end(kInputMarkers),
                                          [c](const InputMarker& m) { return c == QLatin1Char(m.catalogue); });
        if (marker != std::end(kInputMarkers)) {
            mask.inputMask += QLatin1Char(marker->qt);
            mask.places.emplace_back();
        } else {
            literal(c);
        }
    }
    return mask;
}

QString MaskedValue(const EditMask& mask, const QString& displayText)
{
    QString value;
    bool typed = false;
    for (size_t i = 0; i < mask.places.size(); ++i) {
        const auto& place = mask.places[i];
        if (place) {
            if (mask.saveLiterals)
                value += *place;
            continue;
        }
        const qsizetype at = static_cast<qsizetype>(i);
        if (at >= displayText.size())
            continue;
        const QChar c = displayText.at(at);
        if (c == mask.blank)
            continue;
        value += c;
        typed = true;
    }
    return typed ? value : QString();
}

}  // namespace kv::common
