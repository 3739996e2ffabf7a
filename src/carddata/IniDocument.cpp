#include "carddata/IniDocument.h"

#include "common/Cp932.h"
#include "common/TextFile.h"

#include <QFileInfo>

namespace lumi {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

QByteArray trimBlanks(QByteArrayView b) {
    qsizetype s = 0, e = b.size();
    while (s < e && isBlank(b[s]))
        ++s;
    while (e > s && isBlank(b[e - 1]))
        --e;
    return b.sliced(s, e - s).toByteArray();
}

// ASCII letters in lower case; the second byte of a double-byte character
// may look like a letter and is left alone.
QByteArray foldCase(QByteArrayView b) {
    QByteArray out;
    out.reserve(b.size());
    for (qsizetype i = 0; i < b.size(); ++i) {
        auto c = static_cast<unsigned char>(b[i]);
        if (cp932::isLeadByte(c) && i + 1 < b.size()) {
            out.append(b[i]);
            out.append(b[++i]);
        } else if (c >= 'A' && c <= 'Z') {
            out.append(char(c - 'A' + 'a'));
        } else {
            out.append(char(c));
        }
    }
    return out;
}

// The first "]" that is a character of its own, not the second byte of a
// double-byte character.
qsizetype findCloseBracket(QByteArrayView b, qsizetype from) {
    for (qsizetype i = from; i < b.size(); ++i) {
        auto c = static_cast<unsigned char>(b[i]);
        if (cp932::isLeadByte(c)) {
            ++i;
            continue;
        }
        if (c == ']')
            return i;
    }
    return -1;
}

QByteArray encodeName(const QString& s) {
    return foldCase(trimBlanks(cp932::encode(s)));
}

} // namespace

IniDocument IniDocument::parse(const QByteArray& bytes) {
    IniDocument doc;
    bool sawCrLf = false, sawLf = false;
    qsizetype pos = 0;
    int current = -1;
    while (pos < bytes.size()) {
        qsizetype nl = bytes.indexOf('\n', pos);
        Line line;
        if (nl < 0) {
            line.text = bytes.mid(pos);
            pos = bytes.size();
        } else if (nl > pos && bytes[nl - 1] == '\r') {
            line.text = bytes.mid(pos, nl - 1 - pos);
            line.eol = QByteArrayLiteral("\r\n");
            sawCrLf = true;
            pos = nl + 1;
        } else {
            line.text = bytes.mid(pos, nl - pos);
            line.eol = QByteArrayLiteral("\n");
            sawLf = true;
            pos = nl + 1;
        }
        qsizetype s = 0;
        while (s < line.text.size() && isBlank(line.text[s]))
            ++s;
        if (s < line.text.size() && line.text[s] == '[') {
            qsizetype close = findCloseBracket(line.text, s + 1);
            QByteArrayView name = QByteArrayView(line.text).sliced(
                s + 1, (close < 0 ? line.text.size() : close) - s - 1);
            current = int(doc.sections_.size());
            doc.sections_.append({foldCase(trimBlanks(name)), doc.lines_.size()});
            line.isSection = true;
        } else if (s < line.text.size() && line.text[s] != ';') {
            qsizetype eq = line.text.indexOf('=', s);
            if (eq >= 0) {
                line.key = foldCase(trimBlanks(QByteArrayView(line.text).sliced(s, eq - s)));
                line.valueStart = eq + 1;
            }
        }
        line.sectionIndex = current;
        doc.lines_.append(std::move(line));
    }
    doc.lfOnly_ = sawLf && !sawCrLf;
    return doc;
}

std::optional<IniDocument> IniDocument::load(const QString& path) {
    if (QFileInfo(path).size() > MaxFileBytes)
        return std::nullopt;
    auto bytes = readWholeFile(path);
    if (!bytes)
        return std::nullopt;
    return parse(*bytes);
}

int IniDocument::findSection(const QByteArray& name) const {
    for (qsizetype i = 0; i < sections_.size(); ++i)
        if (sections_[i].name == name)
            return int(i);
    return -1;
}

qsizetype IniDocument::findKey(int section, const QByteArray& key) const {
    if (key.isEmpty())
        return -1;
    for (qsizetype i = sections_[section].headerLine + 1; i < lines_.size(); ++i) {
        const Line& l = lines_[i];
        if (l.sectionIndex != section)
            break;
        if (l.valueStart >= 0 && l.key == key)
            return i;
    }
    return -1;
}

bool IniDocument::hasSection(const QString& section) const {
    return findSection(encodeName(section)) >= 0;
}

std::optional<QString> IniDocument::value(const QString& section, const QString& key) const {
    int s = findSection(encodeName(section));
    if (s < 0)
        return std::nullopt;
    qsizetype k = findKey(s, encodeName(key));
    if (k < 0)
        return std::nullopt;
    const Line& l = lines_[k];
    QByteArray v = trimBlanks(QByteArrayView(l.text).sliced(l.valueStart));
    // One pair of matching quotes, double or single, is taken off.
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.mid(1, v.size() - 2);
    qsizetype nul = v.indexOf('\0');
    if (nul >= 0)
        v.truncate(nul);
    return cp932::decode(cp932::cutAtCharBoundary(v, MaxValueBytes));
}

QString IniDocument::get(const QString& section, const QString& key) const {
    return value(section, key).value_or(QString());
}

QByteArray IniDocument::newLineEnd() const {
    return lfOnly_ ? QByteArrayLiteral("\n") : QByteArrayLiteral("\r\n");
}

bool IniDocument::isWritableName(const QString& section, const QString& key) {
    const QString k = key.trimmed();
    const QString sec = section.trimmed();
    auto hasBreak = [](const QString& s) {
        return s.contains(u'\r') || s.contains(u'\n') || s.contains(QChar(u'\0'));
    };
    return !k.isEmpty() && !sec.isEmpty() && !hasBreak(k) && !hasBreak(sec) && !k.contains(u'=') &&
           !k.startsWith(u'[') && !k.startsWith(u';') && !sec.contains(u']');
}

bool IniDocument::set(const QString& section, const QString& key, const QString& value) {
    if (!isWritableName(section, key))
        return false;
    QString clean = value;
    qsizetype nul = clean.indexOf(QChar(u'\0'));
    if (nul >= 0)
        clean.truncate(nul);
    clean.replace(u'\r', u' ').replace(u'\n', u' ');
    const QByteArray keyBytes = trimBlanks(cp932::encode(key));
    const QByteArray newText = keyBytes + '=' + cp932::encode(clean);
    const QByteArray eol = newLineEnd();

    int s = findSection(encodeName(section));
    if (s >= 0) {
        qsizetype k = findKey(s, foldCase(keyBytes));
        if (k >= 0) {
            lines_[k].text = newText;
        } else {
            // After the section's last line with content, so that blank lines
            // separating it from the next section stay where they were.
            qsizetype after = sections_[s].headerLine;
            for (qsizetype i = after + 1; i < lines_.size() && lines_[i].sectionIndex == s; ++i)
                if (!trimBlanks(lines_[i].text).isEmpty())
                    after = i;
            if (lines_[after].eol.isEmpty())
                lines_[after].eol = eol;
            Line l;
            l.text = newText;
            l.eol = eol;
            lines_.insert(after + 1, l);
        }
    } else {
        if (!lines_.isEmpty() && lines_.back().eol.isEmpty())
            lines_.back().eol = eol;
        Line header;
        header.text = '[' + trimBlanks(cp932::encode(section)) + ']';
        header.eol = eol;
        Line l;
        l.text = newText;
        l.eol = eol;
        lines_.append(header);
        lines_.append(l);
    }
    const bool lf = lfOnly_;
    *this = parse(toBytes());
    // A document that started empty keeps CR LF; one that was LF-only stays so.
    lfOnly_ = lf;
    return true;
}

QByteArray IniDocument::toBytes() const {
    QByteArray out;
    for (const Line& l : lines_) {
        out += l.text;
        out += l.eol;
    }
    return out;
}

} // namespace lumi
