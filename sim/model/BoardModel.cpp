#include "BoardModel.h"

#include <QList>

#include <algorithm>
#include <cctype>
#include <cmath>

namespace tav::sim {

namespace {

// Writable numeric parameters: protected (administrator) flag and fixed range.
struct ParamSpec {
    const char* mne;
    bool admin;
    int min;
    int max;
};

constexpr ParamSpec kParams[] = {
    {"PON", true, 0, 40},     {"TC1", true, 15, 30},     {"IC1", true, 0, 1000},
    {"IM1", true, 0, 1000},   {"SDC", false, 0, 8000},   {"IM2", true, 0, 8000},
    {"I2T", true, 0, 2000},   {"ASO", true, 30, 150},    {"RP2", true, 1, 4095},
    {"SOP", false, 0, 405},   {"IPT", false, -400, 100}, {"OPM", false, 0, 405},
    {"OPT", true, -300, 300}, {"LCM", true, 0, 8000},    {"TCL", true, -55, 25},
    {"TCH", true, 25, 100},   {"CI1", true, -600, 400},  {"CI2", true, -600, 400},
    {"CO1", true, -400, 400}, {"CO2", true, -400, 400},  {"CS1", true, -400, 400},
    {"CS2", true, -400, 400},
};

const ParamSpec* specFor(const QByteArray& mne) {
    for (const auto& s : kParams)
        if (mne == s.mne) return &s;
    return nullptr;
}

// The three photodiodes: hidden response (A/D = offset + slope * dBm) and their calibration keys.
struct Photodiode {
    const char* ad;
    const char* c1;
    const char* c2;
    const char* a1;
    const char* a2;
    double offset;
    double slope;
};

constexpr Photodiode kDiodes[] = {
    {"ADI", "CI1", "CI2", "AI1", "AI2", 2400.0, 50.0},
    {"ADO", "CO1", "CO2", "AO1", "AO2", 2000.0, 50.0},
    {"ADS", "CS1", "CS2", "AS1", "AS2", 1900.0, 48.0},
};

constexpr double kThresholdMa = 100.0;  // pump threshold current
constexpr double kSlopeMwPerMa = 0.055; // output per mA above threshold at full input
constexpr double kInputSatMw = 0.05;    // input power giving half the conversion
constexpr double kPhs2OffsetDb = -0.3;
constexpr double kOffLossDb = -20.0; // unpumped erbium fibre absorbs the signal

double toMw(double dBm) {
    return std::pow(10.0, dBm / 10.0);
}
double toDbm(double mW) {
    return mW > 1e-9 ? 10.0 * std::log10(mW) : -90.0;
}

int adFor(const Photodiode& d, double dBm) {
    const double v = d.offset + d.slope * dBm;
    return static_cast<int>(std::lround(std::clamp(v, 0.0, 4095.0)));
}

QByteArray signedNumber(qint64 v) {
    if (v > 0) return '+' + QByteArray::number(v);
    return QByteArray::number(v);
}

// Decimal text to a whole number (halves to even); false when the text is not a number.
bool parseValue(const QByteArray& text, int* out) {
    const QByteArray t = text.trimmed();
    if (t.isEmpty() || t.size() > 12) return false;
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (!ok || !std::isfinite(v) || std::abs(v) > 1e9) return false;
    *out = static_cast<int>(std::nearbyint(v));
    return true;
}

bool isMnemonic(const QByteArray& m) {
    if (m.size() != 3) return false;
    for (char c : m)
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
    return true;
}

const QByteArray kUnknown = "ERR/UNKNOWN";

} // namespace

BoardParams BoardParams::factory() {
    BoardParams p;
    p.values = {
        {"PON", 20},  {"TC1", 25},   {"IC1", 250}, {"IM1", 400}, {"SDC", 1500}, {"IM2", 3000},
        {"I2T", 500}, {"ASO", 50},   {"RP2", 102}, {"SOP", 170}, {"IPT", -80},  {"OPM", 205},
        {"OPT", 0},   {"LCM", 2800}, {"TCL", -20}, {"TCH", 65},  {"CI1", -300}, {"CI2", 0},
        {"CO1", 0},   {"CO2", 200},  {"CS1", 0},   {"CS2", 200},
    };
    for (const auto& d : kDiodes) {
        p.values[d.a1] = adFor(d, p.values[d.c1] / 10.0);
        p.values[d.a2] = adFor(d, p.values[d.c2] / 10.0);
    }
    return p;
}

BoardModel::BoardModel() : work_(BoardParams::factory()), saved_(work_) {
    update();
}

void BoardModel::advanceTo(qint64 ms) {
    if (ms <= now_) return;
    const double dt = static_cast<double>(ms - now_) / 1000.0;
    now_ = ms;
    if (emitting_ && ramp_) {
        // RP2 is a speed: a full ramp from 0 to IM2 lasts 4095 / (20 * RP2) seconds.
        const double rate = param("IM2") * 20.0 * std::max(1, param("RP2")) / 4095.0;
        pumpMa_ = std::min(targetCurrent(), pumpMa_ + rate * dt);
    }
    update();
}

double BoardModel::targetCurrent() const {
    double want = 0;
    switch (mode_) {
    case 1:
        want = param("SDC");
        break;
    case 3:
        want = external_ * param("IM2");
        break;
    case 2:
    case 4:
        want = currentForPower(targetPowerDbm());
        break;
    default:
        break;
    }
    return std::clamp<double>(want, 0.0, param("IM2"));
}

void BoardModel::setExternalSetPoint(double fraction) {
    external_ = std::clamp(fraction, 0.0, 1.0);
    update();
}

void BoardModel::setUnavailable(const QByteArray& mnemonic, bool unavailable) {
    if (unavailable)
        unavailable_.insert(mnemonic.toUpper());
    else
        unavailable_.remove(mnemonic.toUpper());
}

int BoardModel::param(const QByteArray& mnemonic) const {
    auto it = work_.values.find(mnemonic);
    return it == work_.values.end() ? 0 : it->second;
}

void BoardModel::setParam(const QByteArray& mnemonic, int value) {
    work_.values[mnemonic] = value;
    update();
}

double BoardModel::targetPowerDbm() const {
    double target = mode_ == 4 ? external_ * param("PON") : param("SOP") / 10.0;
    // The eye-safety limit caps the output in power modes.
    return std::min(target, param("OPM") / 10.0);
}

double BoardModel::outputForCurrent(double mA) const {
    const double pin = toMw(inputDbm_);
    const double conversion = pin / (pin + kInputSatMw);
    const double ic1 = emitting_ ? param("IC1") : 0;
    const double firstStage = 0.6 + 0.4 * std::min(1.0, ic1 / 250.0);
    const double pumped =
        kSlopeMwPerMa * std::max(0.0, mA - kThresholdMa) * conversion * firstStage;
    return toDbm(pumped + pin * toMw(kOffLossDb));
}

double BoardModel::currentForPower(double dBm) const {
    const double pin = toMw(inputDbm_);
    const double conversion = pin / (pin + kInputSatMw);
    const double firstStage = 0.6 + 0.4 * std::min(1.0, param("IC1") / 250.0);
    const double need = std::max(0.0, toMw(dBm) - pin * toMw(kOffLossDb));
    const double gain = kSlopeMwPerMa * conversion * firstStage;
    return gain > 0 ? kThresholdMa + need / gain : 1e9;
}

void BoardModel::update() {
    // Live protections, with a little hysteresis.
    const double ipt = param("IPT") / 10.0;
    if (inputDbm_ < ipt)
        inputLost_ = true;
    else if (inputDbm_ >= ipt + 0.5)
        inputLost_ = false;
    const int tcl = param("TCL"), tch = param("TCH");
    if (caseTemp_ < tcl || caseTemp_ > tch)
        caseOut_ = true;
    else if (caseTemp_ >= tcl + 1 && caseTemp_ <= tch - 1)
        caseOut_ = false;

    const bool wasEmitting = emitting_;
    emitting_ = mode_ != 0 && !inputLost_ && !caseOut_ && latched_ == 0 && !download_;
    double want = 0;
    if (emitting_) {
        want = targetCurrent();
        if (!wasEmitting) pumpMa_ = 0;
        if (!ramp_)
            pumpMa_ = want;
        else if (pumpMa_ > want)
            pumpMa_ = want; // the loop lowers the current at once; only rises are ramped
    } else {
        pumpMa_ = 0;
    }
    rampDone_ = std::abs(pumpMa_ - want) < 1.0;
    outputDbm_ = outputForCurrent(pumpMa_);

    if (emitting_) {
        if (pumpMa_ > param("LCM")) latched_ |= 1u << AlarmCurrentBias;
        // Thresholds are compared at the board's 0.1 dB resolution.
        const double out = outputDbm_ + 0.05;
        if (rampDone_ &&
            (out < param("OPT") / 10.0 || (pumpMa_ >= param("I2T") && out < param("ASO") / 10.0)))
            latched_ |= 1u << AlarmOutputLoss;
        if (latched_) {
            emitting_ = false;
            pumpMa_ = 0;
            outputDbm_ = outputForCurrent(0);
        }
    }

    // Warnings stay set until "WAR=0".
    if (emitting_ && rampDone_) {
        if ((mode_ == 2 || mode_ == 4) && outputDbm_ < targetPowerDbm() - 1.0)
            warnings_ |= 1u << WarningApcLow;
        if ((mode_ == 1 || mode_ == 3) && outputDbm_ < param("OPT") / 10.0 + 3.0)
            warnings_ |= 1u << WarningAccLow;
    }
    if (caseTemp_ <= tcl + 5) warnings_ |= 1u << WarningLowTemperature;
    if (caseTemp_ >= tch - 5) warnings_ |= 1u << WarningHighTemperature;
}

double BoardModel::diodeTemperature() const {
    // The cooler holds TC1 until the case is far away from it.
    const double tc1 = param("TC1");
    const double gap = caseTemp_ - tc1;
    const double excess = std::max(0.0, std::abs(gap) - 45.0) * 0.5;
    return tc1 + (gap > 0 ? excess : -excess);
}

quint8 BoardModel::alarms() const {
    quint8 a = latched_;
    if (!emitting_) a |= 1u << AlarmLaserOff;
    if (inputLost_) a |= 1u << AlarmInputLoss;
    if (caseOut_) a |= 1u << AlarmCaseTemperature;
    if (std::abs(diodeTemperature() - param("TC1")) > 2.0) a |= 1u << AlarmDiodeTemperature;
    if (mode_ != 0 && !emitting_) a |= 1u << AlarmDisabled;
    if (supply_ < 4.75 || supply_ > 5.25) a |= 1u << AlarmPowerSupply;
    return a;
}

int BoardModel::adValue(const QByteArray& mnemonic) const {
    const double out = outputDbm_;
    if (mnemonic == "ADI") return adFor(kDiodes[0], inputDbm_);
    if (mnemonic == "ADO") return adFor(kDiodes[1], out);
    if (mnemonic == "ADS") return adFor(kDiodes[2], out + kPhs2OffsetDb);
    return 0;
}

double BoardModel::noisy(double v, double amplitude) {
    if (!noise_) return v;
    return v + (rng_.generateDouble() * 2.0 - 1.0) * amplitude;
}

int BoardModel::measuredAd(int channel, double dBm) {
    return adFor(kDiodes[channel], noisy(dBm, 0.05));
}

QByteArray BoardModel::calibratedPower(int channel, double dBm) {
    const Photodiode& d = kDiodes[channel];
    const int a1 = param(d.a1), a2 = param(d.a2);
    if (a1 == a2) return "xxx"; // a degenerate calibration gives no power
    const double c1 = param(d.c1), c2 = param(d.c2);
    const int ad = measuredAd(channel, dBm);
    const double tenths = c1 + (ad - a1) * (c2 - c1) / (a2 - a1);
    return signedNumber(std::lround(tenths));
}

QByteArray BoardModel::handleLine(const QByteArray& raw) {
    update();
    if (raw.size() > kMaxLine) return {};
    const QByteArray line = raw.trimmed();
    if (line.isEmpty()) return {};
    if (line.startsWith(':')) return hexRecord(line);

    const int q = line.indexOf('?');
    const int e = line.indexOf('=');
    QByteArray answer;
    if (e >= 0 && (q < 0 || e < q)) {
        const QByteArray mne = line.left(e).trimmed().toUpper();
        if (!isMnemonic(mne)) return kUnknown;
        answer = write(mne, line.mid(e + 1));
    } else if (q >= 0) {
        const QByteArray mne = line.left(q).trimmed().toUpper();
        if (q != line.size() - 1 || !isMnemonic(mne)) return kUnknown;
        answer = read(mne);
    } else {
        const QByteArray mne = line.toUpper();
        if (!isMnemonic(mne)) return kUnknown;
        answer = action(mne);
    }
    update();
    return answer;
}

QByteArray BoardModel::read(const QByteArray& mne) {
    static const QList<QByteArray> known = {"SNU", "VER", "STS", "ALA", "WAR", "ASS", "IPW", "OPW",
                                            "PS2", "ADI", "ADO", "ADS", "LDC", "ID1", "LDT", "CAT",
                                            "AI1", "AI2", "AO1", "AO2", "AS1", "AS2", "UPL"};
    if (!specFor(mne) && !known.contains(mne)) return kUnknown;
    const QByteArray head = mne + '=';
    if (unavailable_.contains(mne)) return head + "xxx";

    if (mne == "SNU") return head + work_.serial;
    if (mne == "VER") return head + version_;
    if (mne == "STS") return head + (emitting_ ? "ON" : "OFF");
    if (mne == "ALA" || mne == "WAR") {
        const quint8 bits = mne == "ALA" ? alarms() : warnings_;
        QByteArray s(8, '0');
        for (int b = 0; b < 8; ++b)
            if (bits & (1u << b)) s[7 - b] = '1';
        return head + s;
    }
    if (mne == "ASS") return head + QByteArray::number(mode_);
    if (mne == "UPL") return head + QByteArray::number(download_ ? 1 : 0);
    if (mne == "IPW") return head + calibratedPower(0, inputDbm_);
    if (mne == "OPW") return head + calibratedPower(1, outputDbm_);
    if (mne == "PS2") return head + calibratedPower(2, outputDbm_ + kPhs2OffsetDb);
    if (mne == "ADI") return head + signedNumber(measuredAd(0, inputDbm_));
    if (mne == "ADO") return head + signedNumber(measuredAd(1, outputDbm_));
    if (mne == "ADS") return head + signedNumber(measuredAd(2, outputDbm_ + kPhs2OffsetDb));
    if (mne == "LDC")
        return head + signedNumber(std::lround(pumpMa_ > 0 ? noisy(pumpMa_, 2.0) : 0.0));
    if (mne == "ID1")
        return head + signedNumber(emitting_ ? std::lround(noisy(param("IC1"), 1.0)) : 0);
    if (mne == "LDT") return head + signedNumber(std::lround(diodeTemperature()));
    if (mne == "CAT") return head + signedNumber(std::lround(caseTemp_));
    return head + signedNumber(param(mne));
}

bool BoardModel::inRange(const QByteArray& mne, int v) const {
    const ParamSpec* s = specFor(mne);
    if (!s || v < s->min || v > s->max) return false;
    if (mne == "SOP" || mne == "OPM") return v <= param("PON") * 10 + 5;
    if (mne == "SDC") return v <= param("IM2");
    if (mne == "IC1") return v <= param("IM1");
    if (mne == "TCL") return v < param("TCH");
    if (mne == "TCH") return v > param("TCL");
    return true;
}

QByteArray BoardModel::writeParam(const QByteArray& mne, const QByteArray& value) {
    const ParamSpec* s = specFor(mne);
    if (s->admin && !admin_) return mne + '#';
    int v = 0;
    if (!parseValue(value, &v) || !inRange(mne, v)) return mne + "=ERR";
    work_.values[mne] = v;
    // Lowering a limit pulls the values it bounds down with it.
    auto clampTo = [this](const char* key, int max) {
        if (work_.values[key] > max) work_.values[key] = max;
    };
    if (mne == "IM2")
        clampTo("SDC", v);
    else if (mne == "IM1")
        clampTo("IC1", v);
    else if (mne == "PON") {
        clampTo("SOP", v * 10 + 5);
        clampTo("OPM", v * 10 + 5);
    }
    // A calibration point records the photodiode's present A/D value.
    for (const auto& d : kDiodes) {
        const int channel = static_cast<int>(&d - kDiodes);
        const double dBm =
            channel == 0 ? inputDbm_ : outputDbm_ + (channel == 2 ? kPhs2OffsetDb : 0.0);
        if (mne == d.c1)
            work_.values[d.a1] = measuredAd(channel, dBm);
        else if (mne == d.c2)
            work_.values[d.a2] = measuredAd(channel, dBm);
    }
    return mne + '!';
}

QByteArray BoardModel::write(const QByteArray& mne, const QByteArray& value) {
    if (specFor(mne)) return writeParam(mne, value);
    int v = 0;
    const bool numeric = parseValue(value, &v);
    if (mne == "PWD") {
        admin_ = value == kPassword;
        return admin_ ? QByteArray("PWD!") : QByteArray("PWD=ERR");
    }
    if (mne == "SNU") {
        if (!admin_) return "SNU#";
        const QByteArray sn = value.trimmed();
        if (sn.isEmpty() || sn.size() > 16) return "SNU=ERR";
        // Letters, digits, '-', '_' and '.': the program names record files after it.
        for (char c : sn)
            if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_' && c != '.')
                return "SNU=ERR";
        work_.serial = sn;
        return "SNU!";
    }
    if (mne == "ASS") {
        if (!numeric || v < 0 || v > 4) return "ASS=ERR";
        mode_ = v;
        latched_ = 0; // a new start re-arms the latched protections
        return "ASS!";
    }
    if (mne == "WAR") {
        if (!numeric || v != 0) return "WAR=ERR";
        warnings_ = 0;
        return "WAR!";
    }
    if (mne == "WKP") {
        if (!admin_) return "WKP#";
        if (!numeric || v != 1) return "WKP=ERR";
        saved_ = work_;
        ++eepromWrites_;
        return "WKP!";
    }
    if (mne == "UPL") {
        if (!numeric) return "UPL=ERR";
        switch (v) {
        case 1:
            download_ = true;
            mode_ = 0;
            records_ = badRecords_ = 0;
            imageEnded_ = imageVerified_ = false;
            return "UPL!";
        case 2:
            // A whole image: good records only, up to the end-of-file record.
            imageVerified_ = download_ && records_ > 0 && badRecords_ == 0 && imageEnded_;
            return imageVerified_ ? QByteArray("UPL!") : QByteArray("UPL=ERR");
        case 3:
            if (!download_ || !imageVerified_) return "UPL=ERR";
            version_ = nextVersion_.isEmpty() ? bumpedVersion() : nextVersion_;
            ++eepromWrites_; // the firmware version lives with the EEPROM image
            restart();
            return "UPL!";
        default:
            return "UPL=ERR";
        }
    }
    return kUnknown;
}

QByteArray BoardModel::action(const QByteArray& mne) {
    if (mne == "RVP") {
        work_ = BoardParams::factory();
        return "RVP!";
    }
    return kUnknown;
}

QByteArray BoardModel::hexRecord(const QByteArray& line) {
    // ":" LL AAAA TT DD.. CC; the sum of all bytes is 0 modulo 256.
    bool good = line.size() >= 11 && (line.size() - 1) % 2 == 0;
    QByteArray bytes;
    if (good) {
        bytes = QByteArray::fromHex(line.mid(1));
        for (int i = 1; i < line.size(); ++i)
            if (!std::isxdigit(static_cast<unsigned char>(line[i]))) good = false;
    }
    if (good) {
        quint8 sum = 0;
        for (char c : bytes)
            sum += static_cast<quint8>(c);
        good = sum == 0 && static_cast<quint8>(bytes[0]) == bytes.size() - 5 &&
               static_cast<quint8>(bytes[3]) <= 5;
    }
    ++records_;
    if (!good) ++badRecords_;
    if (good && static_cast<quint8>(bytes[3]) == 1) imageEnded_ = true;
    return good ? QByteArray("!") : QByteArray("ERR");
}

QByteArray BoardModel::bumpedVersion() const {
    // "V1.20" -> "V1.21": raise the trailing number, keeping its width.
    int end = version_.size();
    int start = end;
    while (start > 0 && std::isdigit(static_cast<unsigned char>(version_[start - 1])))
        --start;
    if (start == end) return version_ + ".1";
    const QByteArray digits = version_.mid(start);
    QByteArray next = QByteArray::number(digits.toLongLong() + 1);
    if (next.size() < digits.size()) next = QByteArray(digits.size() - next.size(), '0') + next;
    return version_.left(start) + next;
}

void BoardModel::restart() {
    work_ = saved_;
    mode_ = 0;
    admin_ = false;
    latched_ = 0;
    warnings_ = 0;
    download_ = false;
    records_ = badRecords_ = 0;
    imageEnded_ = imageVerified_ = false;
    pumpMa_ = 0;
    update();
}

QByteArray BoardModel::eepromImage() const {
    QByteArray out = "VER=" + version_ + "\nSNU=" + saved_.serial + '\n';
    for (const auto& [k, v] : saved_.values)
        out += k + '=' + QByteArray::number(v) + '\n';
    return out;
}

bool BoardModel::loadEepromImage(const QByteArray& image) {
    BoardParams p = BoardParams::factory();
    QByteArray version = version_;
    for (const QByteArray& raw : image.split('\n')) {
        const QByteArray l = raw.trimmed();
        const int e = l.indexOf('=');
        if (l.isEmpty() || l.startsWith('#')) continue;
        if (e != 3) return false;
        const QByteArray key = l.left(3), val = l.mid(4);
        if (key == "VER")
            version = val;
        else if (key == "SNU")
            p.serial = val;
        else if (p.values.count(key)) {
            bool ok = false;
            const int v = val.toInt(&ok);
            if (!ok) return false;
            p.values[key] = v;
        } else {
            return false;
        }
    }
    version_ = version;
    saved_ = p;
    restart();
    return true;
}

} // namespace tav::sim
