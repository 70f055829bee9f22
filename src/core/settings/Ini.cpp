#include "core/settings/Ini.h"

#include "core/io/FileReplace.h"
#include "core/text/Cp1252.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>

#include <algorithm>
#include <atomic>
#include <memory>
#include <vector>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace tav {

namespace {

constexpr qsizetype kReadBuffer = 1023; // characters, NUL included

// One line of a settings file, kept byte for byte.
struct Line {
    enum Kind : quint8 { Other, Section, Key };
    QByteArray content; // without its line ending
    QByteArray eol;     // "\r\n", "\n" or empty on a last line without ending
    Kind kind = Other;
    QString name;       // case-folded section or key name
    qsizetype valueStart = 0;
};

QString fold(const QByteArray& bytes) {
    return fromCp1252(bytes).trimmed().toCaseFolded();
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

void classify(Line& line) {
    const QByteArray& c = line.content;
    qsizetype i = 0;
    while (i < c.size() && isBlank(c[i]))
        ++i;
    if (i < c.size() && c[i] == '[') {
        const qsizetype close = c.indexOf(']', i + 1);
        line.kind = Line::Section;
        line.name = fold(c.mid(i + 1, (close < 0 ? c.size() : close) - i - 1));
        return;
    }
    if (i < c.size() && c[i] == ';')
        return; // comment
    const qsizetype eq = c.indexOf('=');
    if (eq <= 0)
        return;
    const QString key = fold(c.left(eq));
    if (key.isEmpty())
        return;
    line.kind = Line::Key;
    line.name = key;
    line.valueStart = eq + 1;
}

// A parsed file. Sections are looked up through an index of their first occurrence.
struct Document {
    static constexpr char kBom[] = "\xEF\xBB\xBF";
    QByteArray bom; // kept in front of the first line
    std::vector<Line> lines;
    QHash<QString, qsizetype> sections; // folded name -> line index of first header

    // Hand-edited files may start with a UTF-8 byte-order mark and end lines with CR, LF or
    // CR LF; the mark and every line ending are kept as they are.
    void parse(const QByteArray& data) {
        lines.clear();
        bom = data.startsWith(kBom) ? QByteArray(kBom) : QByteArray();
        qsizetype pos = bom.size();
        const qsizetype n = data.size();
        const char* p = data.constData();
        while (pos < n) {
            qsizetype end = pos;
            while (end < n && p[end] != '\r' && p[end] != '\n')
                ++end;
            qsizetype next = end;
            if (next < n)
                next += (p[next] == '\r' && next + 1 < n && p[next + 1] == '\n') ? 2 : 1;
            Line line;
            line.content = data.mid(pos, end - pos);
            line.eol = data.mid(end, next - end);
            pos = next;
            classify(line);
            lines.push_back(std::move(line));
        }
        reindex();
    }

    void reindex() {
        sections.clear();
        for (qsizetype i = 0; i < qsizetype(lines.size()); ++i)
            if (lines[i].kind == Line::Section && !sections.contains(lines[i].name))
                sections.insert(lines[i].name, i);
    }

    QByteArray serialize() const {
        QByteArray out = bom;
        qsizetype total = bom.size();
        for (const auto& l : lines)
            total += l.content.size() + l.eol.size();
        out.reserve(total);
        for (const auto& l : lines) {
            out += l.content;
            out += l.eol;
        }
        return out;
    }

    // Index of the first key line of the (first) section, or -1; header receives the index of
    // the section's header line, or -1.
    qsizetype findKey(const QString& section, const QString& key, qsizetype* header) const {
        const auto it = sections.constFind(section);
        if (header)
            *header = it == sections.cend() ? -1 : *it;
        if (it == sections.cend())
            return -1;
        for (qsizetype i = *it + 1; i < qsizetype(lines.size()); ++i) {
            const Line& l = lines[i];
            if (l.kind == Line::Section)
                break;
            if (l.kind == Line::Key && l.name == key)
                return i;
        }
        return -1;
    }

    // False when the key already holds exactly this value.
    bool set(const QByteArray& sectionRaw, const QByteArray& keyRaw, const QByteArray& value) {
        const QString section = fold(sectionRaw);
        const QString key = fold(keyRaw);
        qsizetype header = -1;
        const qsizetype at = findKey(section, key, &header);
        if (at >= 0) {
            Line& l = lines[at];
            if (l.content.mid(l.valueStart) == value)
                return false;
            l.content = l.content.left(l.valueStart) + value;
            return true;
        }
        Line keyLine;
        keyLine.content = keyRaw + '=' + value;
        keyLine.eol = "\r\n";
        classify(keyLine);
        if (header < 0) {
            terminateLastLine();
            Line h;
            h.content = '[' + sectionRaw + ']';
            h.eol = "\r\n";
            classify(h);
            lines.push_back(std::move(h));
            lines.push_back(std::move(keyLine));
            sections.insert(section, qsizetype(lines.size()) - 2);
            return true;
        }
        // After the section's last non-blank line.
        qsizetype insertAt = header + 1;
        for (qsizetype i = header + 1; i < qsizetype(lines.size()); ++i) {
            if (lines[i].kind == Line::Section)
                break;
            if (!lines[i].content.trimmed().isEmpty())
                insertAt = i + 1;
        }
        if (insertAt == qsizetype(lines.size()))
            terminateLastLine();
        else if (lines[insertAt - 1].eol.isEmpty())
            lines[insertAt - 1].eol = "\r\n";
        lines.insert(lines.begin() + insertAt, std::move(keyLine));
        reindex();
        return true;
    }

    void terminateLastLine() {
        if (!lines.empty() && lines.back().eol.isEmpty())
            lines.back().eol = "\r\n";
    }
};

// Identity of a file on disk, to know whether a cached parse is still valid.
struct Stamp {
    bool exists = false;
    qint64 size = 0;
    qint64 mtimeNs = 0;
    quint64 inode = 0;
    bool operator==(const Stamp& o) const {
        return exists == o.exists && size == o.size && mtimeNs == o.mtimeNs && inode == o.inode;
    }
};

Stamp stampOf(const QString& path) {
    Stamp s;
#ifdef Q_OS_UNIX
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return s;
    s.exists = true;
    s.size = st.st_size;
    s.mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    s.inode = st.st_ino;
#else
    QFileInfo fi(path);
    if (!fi.isFile())
        return s;
    s.exists = true;
    s.size = fi.size();
    s.mtimeNs = fi.lastModified().toMSecsSinceEpoch() * 1000000LL;
#endif
    return s;
}

struct Cached {
    Stamp stamp;
    std::shared_ptr<const Document> doc;
    QByteArray bytes; // the content the document was parsed from
};

// File times are coarse (a few ms), so an in-place rewrite of the same size right after a read
// can keep its stamp. A file modified in the last seconds is therefore compared byte for byte.
bool recentlyModified(const Stamp& st) {
    const qint64 nowNs = QDateTime::currentMSecsSinceEpoch() * 1000000LL;
    return nowNs - st.mtimeNs < 3000000000LL;
}

QByteArray readAllOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QMutex cacheMutex;
QHash<QString, Cached> cache;

std::shared_ptr<const Document> load(const QString& path) {
    const Stamp st = stampOf(path);
    QByteArray bytes;
    bool haveBytes = false;
    {
        QMutexLocker lock(&cacheMutex);
        const auto it = cache.constFind(path);
        if (it != cache.cend() && it->stamp == st) {
            if (!st.exists || !recentlyModified(st))
                return it->doc;
            lock.unlock();
            bytes = readAllOf(path);
            haveBytes = true;
            lock.relock();
            const auto again = cache.constFind(path);
            if (again != cache.cend() && again->bytes == bytes)
                return again->doc;
        }
    }
    auto doc = std::make_shared<Document>();
    if (st.exists) {
        if (!haveBytes)
            bytes = readAllOf(path);
        doc->parse(bytes);
    }
    QMutexLocker lock(&cacheMutex);
    cache.insert(path, {st, doc, bytes});
    return doc;
}

QMutex failureMutex;
IniFailureHandler failureHandler;
QList<IniFailure> unheardFailures; // failures before anybody listened, one per reason

void reportFailure(const IniFailure& failure) {
    QMutexLocker lock(&failureMutex);
    if (!failureHandler) {
        const bool known = std::any_of(unheardFailures.cbegin(), unheardFailures.cend(),
                                       [&](const IniFailure& f) { return f.reason == failure.reason; });
        if (!known && unheardFailures.size() < 8)
            unheardFailures.append(failure);
        return;
    }
    const IniFailureHandler handler = failureHandler;
    lock.unlock();
    handler(failure);
}

std::atomic<quint64> writesSucceeded{0};

bool store(const QString& path, const std::shared_ptr<Document>& doc, bool quiet,
           QString* error) {
    const QByteArray data = doc->serialize();
    const ReplaceResult r = replaceFile(path, data);
    if (!r.ok) {
        *error = r.error;
        if (!quiet)
            reportFailure({path, r.error});
        return false;
    }
    error->clear();
    ++writesSucceeded;
    QMutexLocker lock(&cacheMutex);
    cache.insert(path, {stampOf(path), doc, data});
    return true;
}

// Names may not break the file's structure.
bool validName(const QString& name, bool section) {
    if (name.trimmed().isEmpty())
        return false;
    for (QChar c : name) {
        if (c == u'\r' || c == u'\n' || c == QChar(0))
            return false;
        if (section && c == u']')
            return false;
        if (!section && (c == u'=' || c == u'[' ))
            return false;
    }
    return !(!section && name.trimmed().startsWith(u';'));
}

// A value is one line: line breaks would forge other keys, so they become blanks.
QByteArray encodeValue(const QString& value) {
    QByteArray v = toCp1252(value);
    for (char& c : v)
        if (c == '\r' || c == '\n')
            c = ' ';
    return v;
}

} // namespace

quint64 iniWritesSucceeded() {
    return writesSucceeded;
}

void setIniFailureHandler(IniFailureHandler handler) {
    QList<IniFailure> unheard;
    {
        QMutexLocker lock(&failureMutex);
        failureHandler = handler;
        if (handler)
            unheard.swap(unheardFailures);
    }
    for (const IniFailure& f : unheard)
        handler(f);
}

bool iniHasSection(const QString& file, const QString& section) {
    return load(file)->sections.contains(section.trimmed().toCaseFolded());
}

bool iniHasKey(const QString& file, const QString& section, const QString& key) {
    return load(file)->findKey(section.trimmed().toCaseFolded(), key.trimmed().toCaseFolded(),
                               nullptr) >= 0;
}

QString LireIni(const QString& file, const QString& section, const QString& key) {
    const auto doc = load(file);
    const qsizetype at = doc->findKey(section.trimmed().toCaseFolded(),
                                      key.trimmed().toCaseFolded(), nullptr);
    if (at < 0)
        return {};
    const Line& l = doc->lines[at];
    // As the platform's profile functions read it: blanks and tabs around the value dropped,
    // then one pair of enclosing double or single quotes; cut to the buffer and at a NUL.
    QByteArray v = l.content.mid(l.valueStart);
    qsizetype begin = 0;
    qsizetype end = v.size();
    while (begin < end && isBlank(v[begin]))
        ++begin;
    while (end > begin && isBlank(v[end - 1]))
        --end;
    const bool quoted =
        end - begin >= 2 && (v[begin] == '"' || v[begin] == '\'') && v[end - 1] == v[begin];
    if (quoted) {
        ++begin;
        --end;
    }
    v = v.mid(begin, std::min(end - begin, kReadBuffer - 1));
    const qsizetype nul = v.indexOf('\0');
    if (nul >= 0)
        v.truncate(nul);
    end = v.size();
    while (!quoted && end > 0 && isBlank(v[end - 1])) // blanks before a cut
        --end;
    v.truncate(end);
    return fromCp1252(v);
}

bool EcrireIni(const QString& file, const QString& section, const QString& key,
               const QString& value) {
    IniBatch batch(file);
    batch.write(section, key, value);
    return batch.commit();
}

struct IniBatch::Impl {
    QString file;
    std::shared_ptr<Document> doc;
    bool valid = true;
    bool dirty = false;
    bool quiet = false;
    QString error;
};

IniBatch::IniBatch(QString file) : d(new Impl) {
    d->file = std::move(file);
    d->doc = std::make_shared<Document>(*load(d->file));
}

void IniBatch::setQuiet(bool quiet) {
    d->quiet = quiet;
}

QString IniBatch::error() const {
    return d->error;
}

IniBatch::~IniBatch() {
    if (d->dirty)
        commit();
    delete d;
}

void IniBatch::write(const QString& section, const QString& key, const QString& value) {
    if (!validName(section, true) || !validName(key, false)) {
        d->valid = false;
        return;
    }
    if (d->doc->set(toCp1252(section.trimmed()), toCp1252(key.trimmed()), encodeValue(value)))
        d->dirty = true;
}

bool IniBatch::commit() {
    if (!d->dirty)
        return d->valid;
    d->dirty = false;
    const bool ok = store(d->file, d->doc, d->quiet, &d->error);
    d->doc = std::make_shared<Document>(*d->doc);
    return ok && d->valid;
}

} // namespace tav
