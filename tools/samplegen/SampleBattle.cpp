#include "samplegen/SampleBattle.h"

#include "samplegen/JsonTextWriter.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <set>
#include <string_view>

namespace tapeloft::samples {

namespace {

struct Nation {
    std::string_view name;
    std::array<std::string_view, 5> tags;
};

constexpr std::array<Nation, 4> nations{{
    {"nordland", {"N01_Warden", "N02_Bastion", "N03_Fjell", "N04_Stormcaller", "N05_Glacier"}},
    {"sudmark", {"S01_Kestrel", "S02_Falke", "S03_Ramhorn", "S04_Eisenwolf", "S05_Donner"}},
    {"ostria", {"O01_Lynx", "O02_Sable", "O03_Marten", "O04_Aurochs", "O05_Taiga"}},
    {"westmere", {"W01_Heron", "W02_Bulwark", "W03_Lancer", "W04_Rampart", "W05_Sentinel"}},
}};

struct MapName {
    std::string_view name;
    std::string_view display;
};

constexpr std::array<MapName, 8> maps{{
    {"01_saltmarsh", "Saltmarsh"},
    {"02_cinder_hollow", "Cinder Hollow"},
    {"03_north_quarry", "North Quarry"},
    {"04_lantern_bay", "Lantern Bay"},
    {"05_red_steppe", "Red Steppe"},
    {"06_mill_crossing", "Mill Crossing"},
    {"07_frostgate", "Frostgate"},
    {"08_old_harbour", "Old Harbour"},
}};

constexpr std::array<std::string_view, 3> servers{"Ironvale EU1", "Ironvale EU2", "Ironvale RU3"};

constexpr std::array<std::string_view, 24> nameHeads{
    "Quiet", "Rusty", "Lone", "Grey", "Swift", "Old",    "Red", "Cold",  "Brave", "Lazy", "Dark", "Wild",
    "Tin",   "Stone", "Moss", "Salt", "Pine",  "Copper", "Ash", "North", "Bold",  "Sly",  "Grim", "Dusty"};
constexpr std::array<std::string_view, 24> nameTails{
    "Otter",   "Badger", "Crow",   "Pike",   "Wolf",  "Beetle", "Anvil", "Kettle",
    "Lantern", "Hammer", "Fox",    "Ferret", "Raven", "Bison",  "Moth",  "Gunner",
    "Driver",  "Loader", "Sapper", "Scout",  "Mole",  "Boar",   "Hawk",  "Walrus"};

// Achievement codes the details window names, and codes it does not know.
constexpr std::array<int, 39> namedAchievements{
    34,  35,  36,  37,  38,  39,  40,  50,  51,  52,  53,  54,  55,  56,  61,  64,  72,  74,  77, 78,
    106, 107, 110, 143, 144, 145, 146, 147, 148, 150, 151, 152, 173, 175, 176, 227, 228, 233, 236};
constexpr std::array<int, 12> otherAchievements{41, 42, 57, 79, 82, 99, 111, 120, 161, 189, 201, 244};

// A vehicle type's fixed numbers, from its nation and its class (the tag's number minus one).
struct Model {
    int nation = 0;
    int tier = 0;

    int maxHealth() const { return 420 + 190 * tier + 25 * nation; }
    int shotDamage() const { return 75 + 55 * tier + 5 * nation; }
    int shellPrice() const { return 28 + 34 * tier; }
    int shellGold() const { return 4 + 2 * tier; }
    int reload() const { return 5 + 2 * tier; }
    int fullRepair() const { return 1800 + 1700 * tier + 150 * nation; }
    std::int32_t typeCode() const { return 1 | nation << 4 | (tier + 1) << 8; }
};

void appendNumber(std::string& out, std::int64_t value, int width = 0) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    for (auto length = result.ptr - buffer; length < width; ++length)
        out += '0';
    out.append(buffer, result.ptr);
}

// Days since 1970-01-01 of a date in the proleptic Gregorian calendar.
std::int64_t daysFromCivil(int year, int month, int day) {
    year -= month <= 2;
    const int era = (year >= 0 ? year : year - 399) / 400;
    const int yearOfEra = year - era * 400;
    const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return std::int64_t{era} * 146097 + dayOfEra - 719468;
}

void civilFromDays(std::int64_t days, int& year, int& month, int& day) {
    days += 719468;
    const auto era = static_cast<int>((days >= 0 ? days : days - 146096) / 146097);
    const auto dayOfEra = static_cast<int>(days - std::int64_t{era} * 146097);
    const int yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int mp = (5 * dayOfYear + 2) / 153;
    day = dayOfYear - (153 * mp + 2) / 5 + 1;
    month = mp < 10 ? mp + 3 : mp - 9;
    year = yearOfEra + era * 400 + (month <= 2);
}

std::string playerNameFor(SampleRandom& random) {
    std::string name;
    const auto head = random.pick(nameHeads);
    const auto tail = random.pick(nameTails);
    switch (random.below(5)) {
    case 0:
        name.append(head).append("_").append(tail);
        break;
    case 1:
        name.append(head).append(tail);
        appendNumber(name, random.between(1970, 2004));
        break;
    case 2:
        for (const char c : head)
            name += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        name += '_';
        for (const char c : tail)
            name += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        name += '_';
        appendNumber(name, random.between(1, 99));
        break;
    case 3:
        name.append("x").append(tail).append(head).append("x");
        break;
    default:
        name.append(tail).append("_");
        appendNumber(name, random.between(100, 9999));
        break;
    }
    return name;
}

std::string clanAbbrevFor(SampleRandom& random) {
    static constexpr std::string_view letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    static constexpr std::string_view digits = "0123456789";
    std::string clan;
    const int length = random.between(2, 5);
    for (int i = 0; i < length; ++i)
        clan += random.chance(85) ? random.pick(letters) : random.pick(digits);
    if (length >= 3 && random.chance(10)) clan[static_cast<std::size_t>(random.between(1, length - 2))] = '-';
    return clan;
}

void vehicleKey(JsonTextWriter& w, std::int32_t id) {
    char key[16];
    const auto end = std::to_chars(key, key + sizeof key, id).ptr;
    w.key(std::string_view(key, static_cast<std::size_t>(end - key)));
}

std::int32_t clanIdOf(std::string_view clan) {
    if (clan.empty()) return 0;
    std::uint32_t hash = 2166136261u;
    for (const char c : clan)
        hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    return static_cast<std::int32_t>(100000 + hash % 400000);
}

// Splits total into parts proportional to the weights; the rounding remainder goes to the heaviest.
std::vector<int> splitByWeight(int total, const std::vector<std::int64_t>& weights) {
    std::vector<int> parts(weights.size(), 0);
    std::int64_t sum = 0;
    std::size_t heaviest = 0;
    for (std::size_t i = 0; i < weights.size(); ++i) {
        sum += weights[i];
        if (weights[i] > weights[heaviest]) heaviest = i;
    }
    if (sum <= 0 || weights.empty()) return parts;
    int given = 0;
    for (std::size_t i = 0; i < weights.size(); ++i) {
        parts[i] = static_cast<int>(std::int64_t{total} * weights[i] / sum);
        given += parts[i];
    }
    parts[heaviest] += total - given;
    return parts;
}

// Shooting, damage taken and assistance of one participant; damage dealt is settled per team later.
void playOut(SampleVehicle& v, const Model& model, SampleRandom& random) {
    v.maxHealth = model.maxHealth();
    if (!v.alive) {
        v.damageReceived = v.maxHealth;
    } else if (random.chance(25)) {
        v.damageReceived = 0;
    } else {
        v.damageReceived = random.between(1, v.maxHealth - 1);
    }
    v.health = v.maxHealth - v.damageReceived;
    v.shotsReceived =
        v.damageReceived > 0 ? random.between(1, 2 + v.damageReceived / 120) : random.between(0, 3);
    v.potentialDamageReceived = v.damageReceived + random.between(0, v.shotsReceived) * model.shotDamage();

    const int maxShots = std::max(1, v.lifeTime / (model.reload() * 3));
    v.shots = std::max(v.frags, random.chance(8) ? 0 : random.between(1, maxShots));
    v.hits = std::clamp(random.between(v.shots * 45 / 100, v.shots * 90 / 100), v.frags, v.shots);
    v.pierced = std::clamp(random.between(v.hits * 55 / 100, v.hits), v.frags, v.hits);
    v.damageAssisted = random.chance(45) ? random.between(50, 400 + 150 * model.tier) : 0;
}

// Damage dealt by a team equals the damage its enemies received, shared by the pierced shots. The share of
// the vehicle `favoured` counts `percent` per cent of its pierced shots; 100 leaves every share as it is.
void settleDamage(std::vector<SampleVehicle>& vehicles, const std::vector<Model>& models, int team,
                  SampleRandom& random, std::size_t favoured = 0, int percent = 100) {
    std::vector<std::size_t> members;
    int received = 0;
    for (std::size_t i = 0; i < vehicles.size(); ++i) {
        if (vehicles[i].team == team)
            members.push_back(i);
        else
            received += vehicles[i].damageReceived;
    }
    std::vector<std::int64_t> weights;
    for (const std::size_t i : members) {
        weights.push_back(std::int64_t{vehicles[i].pierced} * models[i].shotDamage() *
                          random.between(85, 115));
        if (i == favoured && percent != 100) weights.back() = weights.back() * percent / 100;
    }
    if (received > 0 && std::all_of(weights.begin(), weights.end(), [](std::int64_t w) { return w == 0; })) {
        const std::size_t k = random.below(static_cast<std::uint32_t>(members.size()));
        SampleVehicle& v = vehicles[members[k]];
        v.shots = std::max(v.shots, 1);
        v.hits = std::max(v.hits, 1);
        v.pierced = std::max(v.pierced, 1);
        weights[k] = models[members[k]].shotDamage();
    }
    const std::vector<int> dealt = splitByWeight(received, weights);
    std::size_t richest = 0;
    for (std::size_t k = 0; k < members.size(); ++k) {
        vehicles[members[k]].damageDealt = dealt[k];
        if (dealt[k] > dealt[richest]) richest = k;
    }
    // Every killer did some damage; the rounding may have left one with none.
    for (std::size_t k = 0; k < members.size(); ++k) {
        SampleVehicle& v = vehicles[members[k]];
        if (v.frags > 0 && v.damageDealt < v.frags && vehicles[members[richest]].damageDealt > 2 * v.frags) {
            vehicles[members[richest]].damageDealt -= v.frags - v.damageDealt;
            v.damageDealt = v.frags;
        }
    }
    for (std::size_t k = 0; k < members.size(); ++k) {
        SampleVehicle& v = vehicles[members[k]];
        if (v.damageDealt == 0) v.pierced = 0;
        const int missed = v.shots - v.pierced;
        v.potentialDamageDealt =
            v.damageDealt + missed * models[members[k]].shotDamage() * random.between(40, 100) / 100;
    }
}

int earnedXp(const SampleVehicle& v, bool won) {
    int xp = 30 + v.damageDealt / 4 + v.frags * 45 + v.spotted * 25 + v.capturePoints * 2 +
             v.droppedCapturePoints * 2 + v.damageAssisted / 8 + (v.alive ? 10 : 0);
    if (won) xp = xp * 3 / 2;
    return xp;
}

int earnedCredits(const SampleVehicle& v, const Model& model, bool won) {
    return 2200 + 900 * model.tier + v.damageDealt * 6 + v.frags * 500 + v.spotted * 200 +
           v.damageAssisted * 4 + (won ? 3000 + 900 * model.tier : 0);
}

void fillPersonal(SampleFacts& f, const SampleVehicle& pv, const Model& model, SampleRandom& random) {
    SamplePersonal& p = f.personal;
    const bool won = f.winnerTeam == f.playerTeam;
    p.lifeTime = pv.lifeTime;
    p.originalXP = earnedXp(pv, won);
    if (won) {
        const int r = static_cast<int>(random.below(100));
        p.dailyXPFactor10 = r < 80 ? 10 : r < 97 ? 20 : r < 99 ? 30 : 50;
    }
    const int teamDamage = random.chance(4) ? random.between(40, 300) : 0;
    p.xpPenalty = teamDamage / 3;
    p.creditsPenalty = teamDamage * 6;
    p.xp = std::max(0, p.originalXP * p.dailyXPFactor10 / 10 - p.xpPenalty);
    p.freeXP = (p.xp * 5 + 50) / 100;
    p.credits = earnedCredits(pv, model, won);
    p.repair = pv.alive ? model.fullRepair() * pv.damageReceived / pv.maxHealth
                        : model.fullRepair() * random.between(92, 100) / 100;
    const int goldShots = random.chance(12) ? random.between(1, std::max(1, pv.shots / 3)) : 0;
    const int creditShots = std::max(0, pv.shots - goldShots);
    p.autoLoadCost[0] = creditShots * model.shellPrice();
    p.autoLoadCost[1] = std::min(goldShots, pv.shots) * model.shellGold();
    const int equip = static_cast<int>(random.below(100));
    if (equip >= 90) {
        p.autoEquipCost[1] = 10 * random.between(1, 3);
    } else if (equip >= 60) {
        p.autoEquipCost[0] = 3000 * random.between(1, 3);
    }
    p.damageDealt = pv.damageDealt;
    p.potentialDamageDealt = pv.potentialDamageDealt;
    p.damageReceived = pv.damageReceived;
    p.potentialDamageReceived = pv.potentialDamageReceived;
    p.shots = pv.shots;
    p.hits = pv.hits;
    p.shotsReceived = pv.shotsReceived;
    p.health = pv.health;
    p.capturePoints = pv.capturePoints;
    p.droppedCapturePoints = pv.droppedCapturePoints;
    p.killerId = pv.killerId;

    const int r = static_cast<int>(random.below(100));
    const int named = r < 35 ? 0 : r < 65 ? 1 : r < 85 ? 2 : 3;
    const int other = random.chance(50) ? 0 : random.between(1, 2);
    std::set<int> chosen;
    while (static_cast<int>(chosen.size()) < named)
        chosen.insert(random.pick(namedAchievements));
    while (static_cast<int>(chosen.size()) < named + other)
        chosen.insert(random.pick(otherAchievements));
    p.achievements.assign(chosen.begin(), chosen.end());
    random.shuffle(p.achievements);

    const int m = static_cast<int>(random.below(100));
    p.markOfMastery = m < 72 ? 0 : m < 85 ? 1 : m < 94 ? 2 : m < 98 ? 3 : 4;

    const int heroes = random.chance(40) ? 0 : random.between(1, 4);
    std::set<std::int32_t> heroIds;
    if (heroes > 0 && random.chance(35)) heroIds.insert(pv.id);
    while (static_cast<int>(heroIds.size()) < std::min(heroes, static_cast<int>(f.vehicles.size())))
        heroIds.insert(random.pick(f.vehicles).id);
    p.heroVehicleIds.assign(heroIds.begin(), heroIds.end());
    random.shuffle(p.heroVehicleIds);
    for (std::size_t i = 0; i < p.heroVehicleIds.size(); ++i)
        p.achieveIndices.push_back(random.chance(90) ? random.between(0, 6) : random.between(7, 9));
}

} // namespace

SampleFacts simulateBattle(SampleRandom& random, ResultsLayout layout, int vehicleCount, bool progress) {
    SampleFacts f;
    f.layout = layout;
    const bool earlier = layout == ResultsLayout::Earlier;
    static constexpr std::array<int, 3> currentBuilds{412, 419, 431};
    static constexpr std::array<int, 3> earlierBuilds{367, 374, 380};
    f.clientVersionFromXml = earlier ? "0.9.7 #" : "0.9.8 #";
    appendNumber(f.clientVersionFromXml, earlier ? random.pick(earlierBuilds) : random.pick(currentBuilds));
    f.clientVersionFromExe = earlier ? "0, 9, 7, 0" : "0, 9, 8, 0";

    // Earlier clients played until the middle of May 2015, current ones from then on.
    const std::int64_t firstDay = earlier ? daysFromCivil(2014, 12, 1) : daysFromCivil(2015, 5, 14);
    const std::int64_t lastDay = earlier ? daysFromCivil(2015, 5, 13) : daysFromCivil(2015, 12, 31);
    const std::int64_t day = firstDay + random.between(0, static_cast<int>(lastDay - firstDay));
    // How far into the period the battle lies, 0 ... 1: the player's skill with progress.
    const double skill = static_cast<double>(day - firstDay) / static_cast<double>(lastDay - firstDay);
    const int hour = random.chance(60) ? random.between(17, 23) : random.between(0, 23);
    const int minute = random.between(0, 59);
    const int second = random.between(0, 59);
    int year = 0, month = 0, dayOfMonth = 0;
    civilFromDays(day, year, month, dayOfMonth);
    appendNumber(f.dateTime, dayOfMonth, 2);
    f.dateTime += '.';
    appendNumber(f.dateTime, month, 2);
    f.dateTime += '.';
    appendNumber(f.dateTime, year, 4);
    f.dateTime += ' ';
    appendNumber(f.dateTime, hour, 2);
    f.dateTime += ':';
    appendNumber(f.dateTime, minute, 2);
    f.dateTime += ':';
    appendNumber(f.dateTime, second, 2);
    f.battleStart = day * 86400 + hour * 3600 + minute * 60 + second;

    f.serverName = random.pick(servers);
    const std::size_t mapIndex = random.below(maps.size());
    f.mapName = maps[mapIndex].name;
    f.mapDisplayName = maps[mapIndex].display;
    const int mode = static_cast<int>(random.below(100));
    f.gameplayId = mode < 75 ? "ctf" : mode < 90 ? "domination" : "assault";
    f.hasGameplayType = random.chance(20);
    f.battleType = random.chance(85) ? 1 : random.between(2, 7);

    // Participants: consecutive vehicle ids, teams mixed in id order, one battle class give or take one.
    const int battleTier = random.between(0, 4);
    std::vector<int> teams(static_cast<std::size_t>(vehicleCount));
    for (std::size_t i = 0; i < teams.size(); ++i)
        teams[i] = i < teams.size() - teams.size() / 2 ? 1 : 2;
    random.shuffle(teams);
    std::vector<std::string> clans(static_cast<std::size_t>(random.between(3, 7)));
    for (std::string& clan : clans)
        clan = clanAbbrevFor(random);
    std::set<std::string> names;
    std::set<std::int32_t> accounts;
    std::vector<Model> models;
    std::int32_t id = random.between(10'000'000, 90'000'000);
    for (int i = 0; i < vehicleCount; ++i) {
        SampleVehicle v;
        v.id = id;
        id += random.between(1, 3);
        do
            v.accountId = random.between(500'000, 40'000'000);
        while (!accounts.insert(v.accountId).second);
        do
            v.name = playerNameFor(random);
        while (!names.insert(v.name).second);
        if (random.chance(55)) v.clanAbbrev = random.pick(clans);
        const Model model{static_cast<int>(random.below(4)),
                          std::clamp(battleTier + random.between(-1, 1), 0, 4)};
        v.nation = nations[model.nation].name;
        v.tag = nations[model.nation].tags[model.tier];
        v.typeCode = model.typeCode();
        v.team = teams[static_cast<std::size_t>(i)];
        models.push_back(model);
        f.vehicles.push_back(std::move(v));
    }
    const std::size_t playerIndex = random.below(static_cast<std::uint32_t>(vehicleCount));
    if (progress) {
        // The player keeps to a few vehicles: mostly one nation, at the battle's class.
        SampleVehicle& pv = f.vehicles[playerIndex];
        const int n = static_cast<int>(random.below(100));
        models[playerIndex].nation = n < 50 ? 0 : n < 75 ? 1 : n < 90 ? 2 : 3;
        const Model& model = models[playerIndex];
        pv.nation = nations[model.nation].name;
        pv.tag = nations[model.nation].tags[model.tier];
        pv.typeCode = model.typeCode();
    }

    // Outcome: who won, how, and who was destroyed when. With progress the player's team wins 38 % of the
    // first battles of the period and 68 % of the last.
    const int r = static_cast<int>(random.below(100));
    if (progress) {
        const int otherTeam = 3 - f.vehicles[playerIndex].team;
        f.winnerTeam = r < 3                                   ? 0
                       : r < 41 + static_cast<int>(30 * skill) ? f.vehicles[playerIndex].team
                                                               : otherTeam;
    } else {
        f.winnerTeam = r < 3 ? 0 : r < 52 ? 1 : 2;
    }
    const bool exterminated = f.winnerTeam != 0 && random.chance(55);
    const bool captured = f.winnerTeam != 0 && !exterminated;
    f.duration = exterminated ? random.between(240, 840) : captured ? random.between(300, 860) : 900;
    std::vector<int> deathTime(f.vehicles.size(), 0); // 0 = survived
    for (const int team : {1, 2}) {
        std::vector<std::size_t> members;
        for (std::size_t i = 0; i < f.vehicles.size(); ++i)
            if (f.vehicles[i].team == team) members.push_back(i);
        const int n = static_cast<int>(members.size());
        const bool lost = f.winnerTeam != 0 && team != f.winnerTeam;
        const int dead = lost && exterminated ? n
                         : lost               ? random.between(n / 3, n - 1)
                                              : random.between(0, n - 1);
        random.shuffle(members);
        for (int k = 0; k < dead; ++k)
            deathTime[members[k]] = random.between(40, f.duration - 15);
        // The last loser falls when the battle ends; the winners all fell before.
        if (lost && exterminated && dead > 0) deathTime[members[0]] = f.duration;
    }
    std::vector<std::size_t> byDeath;
    for (std::size_t i = 0; i < f.vehicles.size(); ++i) {
        f.vehicles[i].alive = deathTime[i] == 0;
        f.vehicles[i].lifeTime = f.vehicles[i].alive ? f.duration : deathTime[i];
        if (!f.vehicles[i].alive) byDeath.push_back(i);
    }
    std::stable_sort(byDeath.begin(), byDeath.end(),
                     [&](std::size_t a, std::size_t b) { return deathTime[a] < deathTime[b]; });
    for (const std::size_t victim : byDeath) {
        std::vector<std::size_t> shooters;
        for (std::size_t i = 0; i < f.vehicles.size(); ++i)
            if (f.vehicles[i].team != f.vehicles[victim].team &&
                (f.vehicles[i].alive || deathTime[i] > deathTime[victim]))
                shooters.push_back(i);
        if (shooters.empty()) continue; // cannot happen: an enemy always outlives the victim
        SampleVehicle& killer = f.vehicles[random.pick(shooters)];
        f.vehicles[victim].killerId = killer.id;
        ++killer.frags;
    }

    for (std::size_t i = 0; i < f.vehicles.size(); ++i) {
        SampleVehicle& v = f.vehicles[i];
        v.spotted = random.chance(40) ? random.between(1, std::min(4, vehicleCount / 2)) : 0;
        playOut(v, models[i], random);
    }
    // With progress the player's shots count from 60 % at the start of the period to 160 % at its end.
    const int playerPercent = progress ? 60 + static_cast<int>(100 * skill) : 100;
    settleDamage(f.vehicles, models, 1, random, playerIndex, playerPercent);
    settleDamage(f.vehicles, models, 2, random, playerIndex, playerPercent);

    // Base points: the winners took the base, or somebody tried and was reset.
    std::vector<std::size_t> cappers;
    for (std::size_t i = 0; i < f.vehicles.size(); ++i)
        if (f.vehicles[i].alive && (captured ? f.vehicles[i].team == f.winnerTeam : random.chance(8)))
            cappers.push_back(i);
    random.shuffle(cappers);
    cappers.resize(std::min<std::size_t>(cappers.size(), captured ? random.between(1, 3) : 1));
    int pointsLeft = captured ? 100 : random.between(5, 60);
    for (std::size_t k = 0; k < cappers.size(); ++k) {
        const int later = static_cast<int>(cappers.size() - k - 1);
        const int points = later == 0 ? pointsLeft : random.between(1, pointsLeft - later);
        f.vehicles[cappers[k]].capturePoints = points;
        pointsLeft -= points;
    }
    if (!cappers.empty() && random.chance(60)) {
        std::vector<std::size_t> defenders;
        for (std::size_t i = 0; i < f.vehicles.size(); ++i)
            if (f.vehicles[i].team != f.vehicles[cappers[0]].team) defenders.push_back(i);
        if (!defenders.empty())
            f.vehicles[random.pick(defenders)].droppedCapturePoints = random.between(5, 50);
    }

    for (std::size_t i = 0; i < f.vehicles.size(); ++i) {
        SampleVehicle& v = f.vehicles[i];
        const bool won = v.team == f.winnerTeam;
        v.xp = earnedXp(v, won);
        v.credits = earnedCredits(v, models[i], won);
    }

    const SampleVehicle& pv = f.vehicles[playerIndex];
    f.playerName = pv.name;
    f.nation = pv.nation;
    f.tag = pv.tag;
    f.playerVehicle = f.nation + "-" + f.tag;
    f.playerVehicleId = pv.id;
    f.playerTypeCode = pv.typeCode;
    f.playerTeam = pv.team;
    f.playerClan = pv.clanAbbrev;
    f.playerAlive = pv.alive;
    f.playerFrags = pv.frags;
    for (const SampleVehicle& v : f.vehicles)
        if (v.id == pv.killerId) f.killerName = v.name;
    f.finishReason = f.winnerTeam == f.playerTeam ? 1 : f.winnerTeam == 0 ? 2 : 3;
    fillPersonal(f, pv, models[playerIndex], random);
    f.vehicles[playerIndex].xp = f.personal.xp;

    f.fileName.clear();
    appendNumber(f.fileName, year, 4);
    appendNumber(f.fileName, month, 2);
    appendNumber(f.fileName, dayOfMonth, 2);
    f.fileName += '_';
    appendNumber(f.fileName, hour, 2);
    appendNumber(f.fileName, minute, 2);
    f.fileName.append("_").append(f.playerVehicle).append("_").append(f.mapName).append(".ivlreplay");
    return f;
}

std::string writeDescription(const SampleFacts& f) {
    std::string out;
    out.reserve(256 + 200 * f.vehicles.size());
    JsonTextWriter w(out);
    const SampleVehicle* player = nullptr;
    for (const SampleVehicle& v : f.vehicles)
        if (v.id == f.playerVehicleId) player = &v;
    w.beginObject();
    w.number("playerID", player ? player->accountId : 0);
    w.key("vehicles");
    w.beginObject();
    for (const SampleVehicle& v : f.vehicles) {
        vehicleKey(w, v.id);
        w.beginObject();
        w.string("vehicleType", v.nation + ":" + v.tag);
        w.string("name", v.name);
        w.string("clanAbbrev", v.clanAbbrev);
        w.number("team", v.team);
        w.number("accountDBID", v.accountId);
        w.number("igrType", 0);
        w.boolean("isTeamKiller", false);
        w.number("prebattleID", 0);
        // Written when the battle starts, so everybody is still alive; the entry ends with a literal.
        w.boolean("isAlive", true);
        w.endObject();
    }
    w.endObject();
    w.string("serverName", f.serverName);
    w.string("clientVersionFromXml", f.clientVersionFromXml);
    w.string("clientVersionFromExe", f.clientVersionFromExe);
    w.number("battleType", f.battleType);
    w.string("gameplayID", f.gameplayId);
    if (f.hasGameplayType) w.string("gameplayType", "");
    w.string("regionCode", f.serverName.ends_with("RU3") ? "RU" : "EU");
    w.boolean("hasMods", false);
    w.string("mapDisplayName", f.mapDisplayName);
    w.string("playerVehicle", f.playerVehicle);
    w.string("mapName", f.mapName);
    w.string("dateTime", f.dateTime);
    // The readers stop at the first `"}`: only the last member may be a text.
    w.string("playerName", f.playerName);
    w.endObject();
    return out;
}

std::string truncatedDescription(const SampleFacts& f, SampleRandom& random) {
    const std::string full = writeDescription(f);
    const SampleVehicle& cut = f.vehicles[random.below(static_cast<std::uint32_t>(f.vehicles.size()))];
    const std::string entry = "\"name\": \"" + cut.name + "\"";
    const std::size_t at = full.find(entry);
    return full.substr(0, at + entry.size()) + "}";
}

namespace {

// Enemies a participant damaged: every one destroyed, and some more when more shots went through.
int damagedCount(const SampleVehicle& v) {
    if (v.damageDealt <= 0) return 0;
    return std::max({1, v.frags, v.pierced * 2 / 3});
}

// The members a participant's results and the player's personal results share; the counts nobody
// checks are derived from the others, so the player's two entries agree.
void writeBattleNumbers(JsonTextWriter& w, const SampleVehicle& v) {
    const int direct = v.damageReceived > 0 ? std::max(1, v.shotsReceived * 3 / 4) : v.shotsReceived / 2;
    const int piercings = v.damageReceived > 0 ? std::max(1, direct / 2) : 0;
    w.number("typeCompDescr", v.typeCode);
    w.number("health", v.health);
    w.number("credits", v.credits);
    w.number("xp", v.xp);
    w.number("shots", v.shots);
    w.number("hits", v.hits);
    w.number("pierced", v.pierced);
    w.number("he_hits", 0);
    w.number("damageDealt", v.damageDealt);
    w.number("sniperDamageDealt", v.damageDealt / 3);
    w.number("damageAssistedRadio", v.damageAssisted * 2 / 3);
    w.number("damageAssistedTrack", v.damageAssisted - v.damageAssisted * 2 / 3);
    w.number("damageReceived", v.damageReceived);
    w.number("potentialDamageReceived", v.potentialDamageReceived);
    w.number("directHitsReceived", direct);
    w.number("piercingsReceived", piercings);
    w.number("noDamageDirectHitsReceived", direct - piercings);
    w.number("rickochetsReceived", (direct - piercings) / 2);
    w.number("damageBlockedByArmor", v.potentialDamageReceived - v.damageReceived);
    w.number("explosionHitsReceived", v.shotsReceived - direct);
    w.number("shotsReceived", v.shotsReceived);
    w.number("spotted", v.spotted);
    w.number("damaged", damagedCount(v));
    w.number("kills", v.frags);
    w.number("tdamageDealt", 0);
    w.number("tkills", 0);
    w.boolean("isTeamKiller", false);
    w.number("capturePoints", v.capturePoints);
    w.number("droppedCapturePoints", v.droppedCapturePoints);
    w.number("mileage", v.lifeTime * (2 + v.id % 5));
    w.number("lifeTime", v.lifeTime);
    w.number("killerID", v.killerId);
    w.number("deathReason", v.alive ? -1 : 0);
    w.number("achievementXP", 0);
    w.number("achievementCredits", 0);
    w.number("team", v.team);
}

void writePersonal(JsonTextWriter& w, const SampleFacts& f, const SampleVehicle& pv, SampleRandom& random) {
    const SamplePersonal& p = f.personal;
    w.beginObject();
    writeBattleNumbers(w, pv);
    w.number("accountDBID", pv.accountId);
    w.number("freeXP", p.freeXP);
    w.number("originalXP", p.originalXP);
    w.number("originalFreeXP", (p.originalXP * 5 + 50) / 100);
    w.number("originalCredits", p.credits);
    w.number("xpPenalty", p.xpPenalty);
    w.number("creditsPenalty", p.creditsPenalty);
    w.number("creditsContributionIn", 0);
    w.number("creditsContributionOut", 0);
    w.number("potentialDamageDealt", p.potentialDamageDealt);
    w.number("repair", p.repair);
    w.number("autoRepairCost", p.repair);
    w.numberPair("autoLoadCost", p.autoLoadCost[0], p.autoLoadCost[1]);
    w.numberPair("autoEquipCost", p.autoEquipCost[0], p.autoEquipCost[1]);
    w.number("gold", 0);
    w.number("eventCredits", 0);
    w.number("eventXP", 0);
    w.number("eventFreeXP", 0);
    w.number("eventTMenXP", 0);
    w.number("eventGold", 0);
    w.number("orderCredits", 0);
    w.number("orderXP", 0);
    w.number("orderFreeXP", 0);
    w.number("boosterCredits", 0);
    w.number("boosterXP", 0);
    w.number("boosterFreeXP", 0);
    w.number("tmenXP", p.xp);
    w.number("premiumXPFactor10", 15);
    w.number("premiumCreditsFactor10", 15);
    w.hundredths("premiumFactor", 150);
    w.number("igrXPFactor10", 10);
    w.number("aogasFactor10", 10);
    w.number("refSystemXPFactor10", 10);
    if (f.layout != ResultsLayout::Earlier) w.number("dailyXPFactor10", p.dailyXPFactor10);
    w.boolean("isPremium", false);
    w.number("vehTypeLockTime", 0);
    w.number("serviceProviderID", 0);
    w.number("fortResource", 0);
    w.numberArray("achievements", p.achievements);
    w.number("markOfMastery", p.markOfMastery);
    w.numberArray("heroVehicleIDs", p.heroVehicleIds);
    w.numberArray("achieveIndices", p.achieveIndices);
    w.key("dossierPopUps");
    w.beginArray();
    for (const int code : p.achievements) {
        w.beginArray();
        w.number(code);
        w.number(random.between(1, 40));
        w.endArray();
    }
    w.endArray();
    w.emptyObject("questsProgress");

    // Damage to each enemy: the destroyed ones first, then a few more, never more than an enemy took.
    std::vector<const SampleVehicle*> enemies;
    for (const SampleVehicle& v : f.vehicles)
        if (v.team != pv.team) enemies.push_back(&v);
    std::vector<std::size_t> order(enemies.size());
    for (std::size_t k = 0; k < order.size(); ++k)
        order[k] = k;
    random.shuffle(order);
    std::stable_partition(order.begin(), order.end(),
                          [&](std::size_t k) { return enemies[k]->killerId == pv.id; });
    std::stable_partition(order.begin(), order.end(),
                          [&](std::size_t k) { return enemies[k]->damageReceived > 0; });
    std::vector<int> dealt(enemies.size(), 0);
    int left = pv.damageDealt;
    const std::size_t targets = std::min(order.size(), static_cast<std::size_t>(damagedCount(pv)));
    for (std::size_t t = 0; t < targets && left > 0; ++t) {
        const std::size_t k = order[t];
        const int share = t + 1 == targets ? left : std::max(1, left / static_cast<int>(targets - t));
        dealt[k] = std::min({share, left, enemies[k]->damageReceived});
        left -= dealt[k];
    }
    for (std::size_t t = 0; t < order.size() && left > 0; ++t) {
        const std::size_t k = order[t];
        const int add = std::min(enemies[k]->damageReceived - dealt[k], left);
        dealt[k] += add;
        left -= add;
    }
    w.key("details");
    w.beginObject();
    for (std::size_t k = 0; k < enemies.size(); ++k) {
        vehicleKey(w, enemies[k]->id);
        w.beginObject();
        w.number("spotted", random.chance(30) ? 1 : 0);
        w.number("deathReason", enemies[k]->killerId == pv.id ? 0 : -1);
        w.number("damageDealt", dealt[k]);
        w.number("damageAssistedTrack", 0);
        w.number("damageAssistedRadio", 0);
        w.number("crits", dealt[k] > 0 ? random.between(0, 3) : 0);
        w.number("fire", dealt[k] > 0 && random.chance(10) ? 1 : 0);
        w.endObject();
    }
    w.endObject();
    w.endObject();
}

} // namespace

std::string writeResults(const SampleFacts& f, SampleRandom& random) {
    std::string out;
    out.reserve(48 * 1024);
    JsonTextWriter w(out);
    const SampleVehicle* player = &f.vehicles.front();
    for (const SampleVehicle& v : f.vehicles)
        if (v.id == f.playerVehicleId) player = &v;

    w.beginArray();

    w.beginObject();
    w.number("arenaUniqueID", f.battleStart * 16777216 + random.between(0, 16777215));
    w.key("common");
    w.beginObject();
    const int mapNumber = (f.mapName[0] - '0') * 10 + (f.mapName[1] - '0');
    const int modeNumber = f.gameplayId == "ctf" ? 0 : f.gameplayId == "domination" ? 1 : 2;
    w.number("arenaTypeID", mapNumber | modeNumber << 16);
    w.number("arenaCreateTime", f.battleStart);
    w.number("winnerTeam", f.winnerTeam);
    w.number("finishReason", f.finishReason);
    w.number("duration", f.duration);
    w.number("bonusType", f.battleType);
    w.number("guiType", f.battleType == 1 ? 1 : 0);
    w.number("vehLockMode", 0);
    w.endObject();
    w.key("personal");
    if (f.layout == ResultsLayout::Earlier) {
        writePersonal(w, f, *player, random);
    } else {
        w.beginObject();
        vehicleKey(w, f.playerTypeCode);
        writePersonal(w, f, *player, random);
        w.endObject();
    }
    w.key("vehicles");
    w.beginObject();
    for (const SampleVehicle& v : f.vehicles) {
        vehicleKey(w, v.id);
        w.beginArray();
        w.beginObject();
        writeBattleNumbers(w, v);
        // Ends with a number: an object closing an array here must not read as the block's end.
        w.number("accountDBID", v.accountId);
        w.endObject();
        w.endArray();
    }
    w.endObject();
    w.key("players");
    w.beginObject();
    for (const SampleVehicle& v : f.vehicles) {
        vehicleKey(w, v.accountId);
        w.beginObject();
        w.string("name", v.name);
        w.string("clanAbbrev", v.clanAbbrev);
        w.number("clanDBID", clanIdOf(v.clanAbbrev));
        w.number("prebattleID", 0);
        w.number("team", v.team);
        w.number("igrType", 0);
        w.endObject();
    }
    w.endObject();
    if (f.layout == ResultsLayout::Earlier) {
        w.key("factors");
        w.beginObject();
        w.number("dailyXPFactor10", f.personal.dailyXPFactor10);
        w.number("premiumXPFactor10", 15);
        w.number("premiumCreditsFactor10", 15);
        w.number("igrXPFactor10", 10);
        w.number("aogasFactor10", 10);
        w.endObject();
    }
    w.endObject();

    w.beginObject();
    for (const SampleVehicle& v : f.vehicles) {
        vehicleKey(w, v.id);
        w.beginObject();
        w.string("name", v.name);
        w.number("team", v.team);
        w.boolean("isAlive", v.alive);
        w.string("vehicleType", v.nation + ":" + v.tag);
        w.string("clanAbbrev", v.clanAbbrev);
        w.number("clanDBID", clanIdOf(v.clanAbbrev));
        w.number("accountDBID", v.accountId);
        w.boolean("isTeamKiller", false);
        w.number("prebattleID", 0);
        w.boolean("isPrebattleCreator", false);
        w.boolean("forbidInBattleInvitations", false);
        w.emptyObject("events");
        w.number("igrType", 0);
        w.endObject();
    }
    w.endObject();

    // The frags come last: the array's closing `}}]` is the first one in the block.
    w.beginObject();
    for (const SampleVehicle& v : f.vehicles) {
        vehicleKey(w, v.id);
        w.beginObject();
        w.number("frags", v.frags);
        w.endObject();
    }
    w.endObject();

    w.endArray();
    return out;
}

} // namespace tapeloft::samples
