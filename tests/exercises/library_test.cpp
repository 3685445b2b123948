// The shipped library as a teacher judges it: every exercise, drawn a few hundred times
// as the dialog draws it, keeps what its title promises (the table below), and each
// fault once found in the shipped files is recognised by the same checks.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "exercise_harness.h"
#include "exercise_promises.h"
#include "formula/formula_editor.h"
#include "session/text_codec.h"
#include "shipped_draws.h"

namespace pendrix {
namespace {

namespace fs = std::filesystem;

constexpr double kBig = 1e9;

constexpr Promise value(const char* area, const char* title, unsigned flags, double largestNumber,
                        double largestResult, double largestDenominator = 20) {
  return {area, title, Shape::Value, 0, flags, largestNumber, largestResult, largestDenominator};
}
constexpr Promise simplify(const char* area, const char* title, double largestNumber) {
  return {area, title, Shape::Simplify, 0, 0, largestNumber, kBig};
}
constexpr Promise equation(const char* area, const char* title, int solutions, unsigned flags,
                           double largestNumber, double largestResult, double largestDenominator = 20) {
  return {area, title, Shape::Equation, solutions, flags, largestNumber, largestResult, largestDenominator};
}
constexpr Promise fillIn(const char* area, const char* title, unsigned flags, double largestNumber, double largestResult) {
  return {area, title, Shape::FillIn, 1, flags, largestNumber, largestResult};
}
constexpr Promise substitution(const char* area, const char* title, unsigned flags, double largestNumber,
                               double largestResult) {
  return {area, title, Shape::Substitution, 0, flags, largestNumber, largestResult};
}

// What each shipped exercise promises. Sizes are the largest number written and the
// largest value or solution.
const Promise kPromises[] = {
    // Terme berechnen: natural numbers, grade 5 and 6.
    value("Terme berechnen", "Addieren", kWhole | kNonNegative, 999, 1998),
    value("Terme berechnen", "Subtrahieren", kWhole | kNonNegative, 999, 999),
    value("Terme berechnen", "Multiplizieren", kWhole | kNonNegative, 99, 891),
    value("Terme berechnen", "Dividieren ohne Rest", kWhole | kNonNegative, 99, 50),
    value("Terme berechnen", "Teilen mit Probe", kWhole | kNonNegative, 999, 500),
    value("Terme berechnen", "Punkt vor Strich", kWhole | kNonNegative, 99, 180),
    value("Terme berechnen", "Klammern zuerst", kWhole | kNonNegative, 99, 900),
    value("Terme berechnen", "Negative Ergebnisse", kWhole, 999, 999),
    value("Terme berechnen", "Rechenzeichen gemischt", kWhole | kNonNegative, 999, 1100),
    value("Terme berechnen", "Geschickt rechnen", kWhole | kNonNegative, 99, 9801),
    value("Terme berechnen", "Verbindung der Grundrechenarten", kWhole | kNonNegative, 99, 1100),
    value("Terme berechnen", "Doppelte Klammern", kWhole, 99, 1800),
    // Negative Zahlen: integers, grade 6 and 7.
    value("Negative Zahlen", "Negative Zahl plus Zahl", kWhole, 9, 9),
    value("Negative Zahlen", "Unter null subtrahieren", kWhole, 99, 99),
    value("Negative Zahlen", "Negative Zahl addieren", kWhole, 99, 99),
    value("Negative Zahlen", "Negative Zahl subtrahieren", kWhole, 9, 18),
    value("Negative Zahlen", "Drei Zahlen", kWhole, 9, 27),
    value("Negative Zahlen", "Minus mal plus", kWhole, 9, 81),
    value("Negative Zahlen", "Minus mal minus", kWhole, 99, 891),
    value("Negative Zahlen", "Negative Zahl teilen", kWhole, 99, 50),
    value("Negative Zahlen", "Durch eine negative Zahl", kWhole, 99, 50),
    value("Negative Zahlen", "Punkt vor Strich", kWhole, 9, 162),
    value("Negative Zahlen", "Klammern", kWhole, 9, 81),
    value("Negative Zahlen", "Potenz einer negativen Zahl", kWhole, 9, 6561),
    value("Negative Zahlen", "Gemischte Aufgabe", kWhole, 99, 150),
    // Dezimalzahlen: tenths and hundredths, grade 5 and 6.
    value("Dezimalzahlen", "Zehntel addieren", kTwoDecimals | kNonNegative, 9.9, 20),
    value("Dezimalzahlen", "Zehntel subtrahieren", kTwoDecimals | kNonNegative, 99.9, 100),
    value("Dezimalzahlen", "Hundertstel addieren", kTwoDecimals | kNonNegative, 9.99, 20),
    value("Dezimalzahlen", "Hundertstel subtrahieren", kTwoDecimals | kNonNegative, 99.99, 100),
    value("Dezimalzahlen", "Mal 10 und mal 100", kTwoDecimals | kNonNegative, 100, 1100),
    value("Dezimalzahlen", "Durch 10 und durch 100", kTwoDecimals | kNonNegative, 999, 110),
    value("Dezimalzahlen", "Dezimalzahl mal Zahl", kTwoDecimals | kNonNegative, 9.9, 90),
    value("Dezimalzahlen", "Dezimalzahl mal Dezimalzahl", kTwoDecimals | kNonNegative, 9.9, 9),
    value("Dezimalzahlen", "Punkt vor Strich", kTwoDecimals | kNonNegative, 9.9, 20),
    value("Dezimalzahlen", "Klammern", kTwoDecimals | kNonNegative, 99.9, 900),
    // Prozentrechnung: grade 7; a percentage stands as hundredths.
    equation("Prozentrechnung", "Prozentwert", 1, kWhole | kPositiveSolution, 999, 999, 100),
    equation("Prozentrechnung", "Grundwert", 1, kWhole | kPositiveSolution, 999, 999, 100),
    equation("Prozentrechnung", "Prozentsatz", 1, kWhole | kPositiveSolution, 999, 99, 100),
    equation("Prozentrechnung", "Prozentwert mit Dezimalzahl", 1, kWhole | kPositiveSolution, 999, 999),
    equation("Prozentrechnung", "Preiserhöhung", 1, kWhole | kPositiveSolution, 999, 999, 100),
    equation("Prozentrechnung", "Rabatt", 1, kWhole | kPositiveSolution, 999, 999, 100),
    equation("Prozentrechnung", "Zinsen für ein Jahr", 1, kWhole | kPositiveSolution, 9999, 999, 100),
    equation("Prozentrechnung", "Guthaben aus den Zinsen", 1, kWhole | kPositiveSolution, 999, 999, 100),
    // Terme mit Variablen: the value of a term for a given x, grade 7.
    substitution("Terme mit Variablen", "Zahl mal x", kWhole, 9, 81),
    substitution("Terme mit Variablen", "x plus Zahl", kWhole, 99, 108),
    substitution("Terme mit Variablen", "Linearer Term", kWhole, 9, 90),
    substitution("Terme mit Variablen", "Zahl minus Vielfaches", kWhole, 99, 99),
    substitution("Terme mit Variablen", "Klammerterm", kWhole, 9, 162),
    substitution("Terme mit Variablen", "Negative Zahl einsetzen", kWhole, 9, 81),
    substitution("Terme mit Variablen", "Quadrat von x", kWhole, 9, 90),
    substitution("Terme mit Variablen", "Negative Zahl im Quadrat", kWhole, 9, 162),
    substitution("Terme mit Variablen", "Term mit zwei Klammern", kWhole, 9, 162),
    // Terme vereinfachen: grade 7 and 8.
    simplify("Terme vereinfachen", "Gleichartige Glieder addieren", 9),
    simplify("Terme vereinfachen", "Gleichartige Glieder subtrahieren", 9),
    simplify("Terme vereinfachen", "Glieder mit Zahlen", 9),
    simplify("Terme vereinfachen", "Zwei Variablen", 9),
    simplify("Terme vereinfachen", "Klammer auflösen", 9),
    simplify("Terme vereinfachen", "Minus vor der Klammer", 9),
    simplify("Terme vereinfachen", "Ausmultiplizieren", 9),
    simplify("Terme vereinfachen", "Zwei Klammern", 9),
    simplify("Terme vereinfachen", "Erste binomische Formel", 9),
    simplify("Terme vereinfachen", "Zweite binomische Formel", 9),
    simplify("Terme vereinfachen", "Dritte binomische Formel", 9),
    simplify("Terme vereinfachen", "Ausklammern", 99),
    // Lineare Gleichungen: grade 7 and 8.
    equation("Lineare Gleichungen", "x plus Zahl", 1, kWhole | kPositiveSolution, 999, 20),
    equation("Lineare Gleichungen", "Zahl mal x", 1, kWhole | kPositiveSolution, 999, 20),
    equation("Lineare Gleichungen", "lineare Gleichung", 1, kWhole | kPositiveSolution, 999, 9),
    equation("Lineare Gleichungen", "x minus Zahl", 1, kWhole | kPositiveSolution, 999, 9),
    equation("Lineare Gleichungen", "Zahl minus x", 1, kWhole | kPositiveSolution, 99, 9),
    equation("Lineare Gleichungen", "Zahl links", 1, kWhole | kPositiveSolution, 999, 9),
    equation("Lineare Gleichungen", "mehrere x", 1, kWhole | kPositiveSolution, 999, 9),
    equation("Lineare Gleichungen", "x auf beiden Seiten", 1, kWhole | kPositiveSolution, 999, 9),
    equation("Lineare Gleichungen", "auch negative Lösungen", 1, kWhole, 999, 9),
    equation("Lineare Gleichungen", "negative Lösung", 1, kWhole | kNegative, 999, 9),
    equation("Lineare Gleichungen", "größere Lösungen", 1, kWhole | kPositiveSolution, 9999, 99),
    equation("Lineare Gleichungen", "Bruch als Lösung", 1, kFractional | kPositiveSolution, 999, 1),
    equation("Lineare Gleichungen", "Bruch als Lösung, mit Zahl", 1, kFractional | kPositiveSolution, 999, 1),
    equation("Lineare Gleichungen", "negative Bruchlösung", 1, kFractional | kNegative, 999, 1),
    equation("Lineare Gleichungen", "Dezimalzahl vor x", 1, kWhole | kPositiveSolution, 999, 99),
    // Gleichungen mit Klammern: grade 8.
    equation("Gleichungen mit Klammern", "Gleichung mit Klammern", 1, kWhole | kPositiveSolution, 999, 9),
    equation("Gleichungen mit Klammern", "Zahl vor der Klammer", 1, kWhole | kPositiveSolution, 9999, 9),
    equation("Gleichungen mit Klammern", "Klammer mal Zahl", 1, kWhole | kPositiveSolution, 999, 9),
    equation("Gleichungen mit Klammern", "Minus in der Klammer", 1, kWhole | kPositiveSolution, 999, 20),
    equation("Gleichungen mit Klammern", "Minus vor der Klammer", 1, kWhole | kPositiveSolution, 99, 9),
    equation("Gleichungen mit Klammern", "Produkt in der Klammer", 1, kWhole | kPositiveSolution, 999, 9),
    equation("Gleichungen mit Klammern", "zwei Klammern", 1, kWhole | kPositiveSolution, 999, 9),
    equation("Gleichungen mit Klammern", "x und Klammer", 1, kWhole | kPositiveSolution, 999, 9),
    equation("Gleichungen mit Klammern", "x auf beiden Seiten", 1, kWhole | kPositiveSolution, 999, 9),
    equation("Gleichungen mit Klammern", "Klammer rechts", 1, kWhole | kPositiveSolution, 999, 9),
    equation("Gleichungen mit Klammern", "Klammern auf beiden Seiten", 1, kWhole | kPositiveSolution, 999, 9),
    equation("Gleichungen mit Klammern", "negative Lösung", 1, kWhole | kNegative, 999, 20),
    equation("Gleichungen mit Klammern", "Bruch als Lösung", 1, kFractional | kPositiveSolution, 999, 1),
    // Gleichungen mit Brüchen: grade 8.
    equation("Gleichungen mit Brüchen", "x geteilt durch Zahl", 1, kWhole | kPositiveSolution, 99, 99, 9),
    equation("Gleichungen mit Brüchen", "Bruch plus Zahl", 1, kWhole | kPositiveSolution, 999, 99, 9),
    equation("Gleichungen mit Brüchen", "Bruch mal x", 1, kWhole | kPositiveSolution | kProperOnly, 999, 99, 9),
    equation("Gleichungen mit Brüchen", "Summe im Zähler", 1, kWhole | kPositiveSolution, 99, 99, 9),
    equation("Gleichungen mit Brüchen", "zwei Brüche", 1, kWhole | kPositiveSolution, 999, 99, 9),
    equation("Gleichungen mit Brüchen", "gleicher Nenner", 1, kWhole | kPositiveSolution | kProperOnly, 99, 99, 9),
    equation("Gleichungen mit Brüchen", "Vielfaches von x im Zähler", 1, kWhole | kPositiveSolution, 999, 99, 9),
    equation("Gleichungen mit Brüchen", "Bruch vor der Klammer", 1, kWhole | kPositiveSolution | kProperOnly, 999, 99, 9),
    equation("Gleichungen mit Brüchen", "Brüche auf beiden Seiten", 1, kWhole | kPositiveSolution, 99, 99, 9),
    equation("Gleichungen mit Brüchen", "Bruch als Lösung", 1, kFractional | kPositiveSolution | kProperOnly, 99, 1, 9),
    // Bruchrechnung: proper fractions of small denominators, grade 6.
    value("Bruchrechnung", "Gleiche Nenner", kProperOnly | kNonNegative, 9, 2, 9),
    value("Bruchrechnung", "Brüche addieren", kProperOnly | kNonNegative, 9, 2, 9),
    value("Bruchrechnung", "Vom Ganzen abziehen", kProperOnly | kNonNegative, 9, 1, 9),
    value("Bruchrechnung", "Brüche multiplizieren", kProperOnly | kNonNegative, 9, 1, 9),
    value("Bruchrechnung", "Brüche dividieren", kProperOnly | kNonNegative, 9, 9, 9),
    value("Bruchrechnung", "Bruch mal Zahl", kProperOnly | kNonNegative, 9, 9, 9),
    value("Bruchrechnung", "Gemischte Zahlen", kProperOnly | kNonNegative, 9, 20, 9),
    value("Bruchrechnung", "Gemischte Zahl minus Bruch", kProperOnly | kNonNegative, 9, 10, 9),
    value("Bruchrechnung", "Kürzen", kProperOnly | kNonNegative | kReducible, 99, 1, 99),
    value("Bruchrechnung", "Kürzen und addieren", kProperOnly | kNonNegative | kReducible, 99, 2, 99),
    value("Bruchrechnung", "Klammern mit Brüchen", kProperOnly | kNonNegative, 9, 20, 9),
    // Potenzen und Wurzeln: grade 5 to 8.
    value("Potenzen und Wurzeln", "Quadratzahlen", kWhole | kNonNegative, 20, 400),
    value("Potenzen und Wurzeln", "Potenzen mit Exponent", kWhole | kNonNegative, 9, 6561),
    value("Potenzen und Wurzeln", "Summe von Quadraten", kWhole | kNonNegative, 9, 162),
    value("Potenzen und Wurzeln", "Differenz von Quadraten", kWhole | kNonNegative, 99, 9801),
    value("Potenzen und Wurzeln", "Vielfache von Potenzen", kWhole | kNonNegative, 9, 59049),
    value("Potenzen und Wurzeln", "Zehnerpotenzen", kWhole | kNonNegative, 10, 90000),
    value("Potenzen und Wurzeln", "Quadratwurzel", kWhole | kNonNegative, 99, 9),
    value("Potenzen und Wurzeln", "Große Quadratwurzel", kWhole | kNonNegative, 999, 31),
    value("Potenzen und Wurzeln", "Wurzeln addieren", kWhole | kNonNegative, 999, 40),
    value("Potenzen und Wurzeln", "Wurzel und Quadrat", kWhole | kNonNegative, 999, 2511),
    value("Potenzen und Wurzeln", "Vielfaches einer Wurzel", kWhole | kNonNegative, 999, 279),
    // Potenzgesetze: grade 9 and 10.
    simplify("Potenzgesetze", "Gleiche Basis multiplizieren", 9),
    value("Potenzgesetze", "Gleiche Basis mit Zahlen", kWhole | kNonNegative, 4, 256),
    simplify("Potenzgesetze", "Gleiche Basis dividieren", 9),
    simplify("Potenzgesetze", "Potenz einer Potenz", 4),
    simplify("Potenzgesetze", "Produkt potenzieren", 9),
    simplify("Potenzgesetze", "Potenzen mit Vorzahlen", 9),
    simplify("Potenzgesetze", "Verschiedene Basen", 4),
    simplify("Potenzgesetze", "Negative Hochzahl", 4),
    value("Potenzgesetze", "Zehnerpotenzen multiplizieren", kWhole | kNonNegative, 10, 1e10),
    // Quadratwurzeln: grade 9.
    value("Quadratwurzeln", "Wurzel aus einer Quadratzahl", kWhole | kNonNegative, 999, 31),
    value("Quadratwurzeln", "Wurzel mal Wurzel", kWhole | kNonNegative, 99, 99),
    value("Quadratwurzeln", "Wurzel aus einem Produkt", kWhole | kNonNegative, 99, 81),
    value("Quadratwurzeln", "Wurzel und Zahl", kWhole | kNonNegative, 999, 300),
    value("Quadratwurzeln", "Wurzeln subtrahieren", kWhole | kNonNegative, 999, 31),
    value("Quadratwurzeln", "Quadrat einer Wurzel", kWhole | kNonNegative, 99, 99),
    value("Quadratwurzeln", "Teilweise Wurzel ziehen", kNonNegative, 999, 32),
    value("Quadratwurzeln", "Wurzeln zusammenfassen", kNonNegative, 9, 26),
    value("Quadratwurzeln", "Wurzeln zusammenfassen mit Minus", 0, 9, 13),
    // Quadratische Gleichungen: every case, grade 9 and 10.
    equation("Quadratische Gleichungen", "reinquadratisch", 2, kWhole, 999, 20),
    equation("Quadratische Gleichungen", "mit Zahl", 2, kWhole, 999, 20),
    equation("Quadratische Gleichungen", "mit Faktor", 2, kWhole, 999, 9),
    equation("Quadratische Gleichungen", "Nullform", 2, kWhole | kZeroRight, 999, 20),
    equation("Quadratische Gleichungen", "ohne Zahl", 2, kWhole | kZeroSolution | kZeroRight, 9, 9),
    equation("Quadratische Gleichungen", "ohne Zahl, mit Plus", 2, kWhole | kZeroSolution | kZeroRight, 9, 9),
    equation("Quadratische Gleichungen", "Produktform", 2, kWhole | kZeroRight, 9, 9),
    equation("Quadratische Gleichungen", "x mal Klammer", 2, kWhole, 999, 18),
    equation("Quadratische Gleichungen", "Faktor und x", 2, kWhole, 999, 18),
    equation("Quadratische Gleichungen", "Normalform mit Plus", 2, kWhole | kZeroRight, 999, 18),
    equation("Quadratische Gleichungen", "Normalform mit Minus", 2, kWhole | kZeroRight, 999, 18),
    equation("Quadratische Gleichungen", "zuerst umformen", 2, kWhole, 999, 18),
    equation("Quadratische Gleichungen", "binomische Formel", 2, kWhole, 999, 27),
    equation("Quadratische Gleichungen", "doppelte Lösung", 1, kWhole | kZeroRight, 9, 9),
    equation("Quadratische Gleichungen", "doppelte Lösung mit Faktor", 1, kWhole | kZeroRight, 9, 9),
    equation("Quadratische Gleichungen", "keine Lösung", 0, 0, 99, 0),
    equation("Quadratische Gleichungen", "keine Lösung, Normalform", 0, kZeroRight, 99, 0),
    equation("Quadratische Gleichungen", "Brüche als Lösungen", 2, kFractional, 99, 1),
    // Sachaufgaben: word problems in the text line, grade 5 to 8.
    value("Sachaufgaben", "Einkaufen", kTwoDecimals | kNonNegative, 9.99, 90),
    value("Sachaufgaben", "Wechselgeld", kTwoDecimals | kNonNegative, 50, 50),
    value("Sachaufgaben", "Im Kino", kWhole | kNonNegative, 40, 1200),
    value("Sachaufgaben", "Klassenfahrt", kWhole | kNonNegative, 9999, 1000),
    value("Sachaufgaben", "Autofahrt", kWhole | kNonNegative, 99, 891),
    value("Sachaufgaben", "Gartenzaun", kWhole | kNonNegative, 99, 396),
    value("Sachaufgaben", "Rasenfläche", kWhole | kNonNegative, 99, 9801),
    value("Sachaufgaben", "Mittelwert", kTwoDecimals | kNonNegative, 99, 99),
    value("Sachaufgaben", "Sparbuch", kTwoDecimals | kNonNegative, 999, 90),
    value("Sachaufgaben", "Sonderangebot", kTwoDecimals | kNonNegative, 100, 99),
    // Lückenaufgaben: the missing number, grade 5 and 6.
    fillIn("Lückenaufgaben", "Plus-Lücke", kWhole | kPositiveSolution, 999, 99),
    fillIn("Lückenaufgaben", "Lücke vorne", kWhole | kPositiveSolution, 999, 99),
    fillIn("Lückenaufgaben", "Minus-Lücke", kWhole | kPositiveSolution, 99, 99),
    fillIn("Lückenaufgaben", "Mal-Lücke", kWhole | kPositiveSolution, 99, 9),
    fillIn("Lückenaufgaben", "Geteilt-Lücke", kWhole | kPositiveSolution, 999, 9),
    fillIn("Lückenaufgaben", "Lücke in der Klammer", kWhole | kPositiveSolution, 999, 9),
    fillIn("Lückenaufgaben", "Zwei Rechenschritte", kWhole | kPositiveSolution, 999, 9),
    fillIn("Lückenaufgaben", "Negative Zahl in der Lücke", kWhole | kNegative, 99, 20),
};

fs::path shippedDirectory() {
  return fs::path(PENDRIX_TEST_DATA).parent_path().parent_path() / "assistant" / "exercises" / "files";
}

const Promise* promiseFor(const std::string& area, const std::u16string& title) {
  for (const Promise& p : kPromises)
    if (area == p.area && toUtf8(title) == p.title) return &p;
  return nullptr;
}

// Opening completes a file, so the test draws from copies.
class Library : public ::testing::Test {
 protected:
  void SetUp() override {
    copies_ = fs::temp_directory_path() /
              ("pendrix-library-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    fs::create_directories(copies_);
    for (const auto& entry : fs::directory_iterator(shippedDirectory())) {
      if (entry.path().extension() != ".wrx") continue;
      fs::copy_file(entry.path(), copies_ / entry.path().filename());
      files_.push_back(copies_ / entry.path().filename());
    }
    std::sort(files_.begin(), files_.end());
  }
  void TearDown() override { fs::remove_all(copies_); }

  fs::path copies_;
  std::vector<fs::path> files_;
  std::unique_ptr<ProfileStore> store_ = makePortableProfileStore();
};

TEST_F(Library, TwelveAreasAndMoreThanAHundredTwentyExercises) {
  int exercises = 0;
  for (const fs::path& file : files_) {
    ExerciseSet set(*store_);
    set.Open(file.u16string());
    exercises += set.count();
    EXPECT_GE(set.count(), 6) << file;
  }
  EXPECT_GE(files_.size(), 12u);
  EXPECT_GE(exercises, 120);
}

// Every row of the table names an exercise that ships, and every exercise has a row.
TEST_F(Library, ThePromiseTableCoversTheLibraryExactly) {
  std::set<std::pair<std::string, std::string>> shipped;
  for (const fs::path& file : files_) {
    ExerciseSet set(*store_);
    set.Open(file.u16string());
    for (int n = 0; n < set.count(); ++n) {
      const auto key = std::make_pair(file.stem().string(), toUtf8(set.Title(n)));
      EXPECT_TRUE(shipped.insert(key).second) << "two exercises of " << key.first << " are called " << key.second;
      EXPECT_NE(promiseFor(key.first, set.Title(n)), nullptr) << key.first << ": " << key.second << " promises nothing";
    }
  }
  for (const Promise& p : kPromises)
    EXPECT_EQ(shipped.count({p.area, p.title}), 1u) << "no exercise " << p.area << ": " << p.title;
}

Drawn drawnBy(const ExerciseDialog& dialog, const Promise& promise, ExerciseKind kind) {
  Drawn drawn;
  drawn.grid = dialog.grid;
  const ShownRows shown = dialog.command.generator().shown();
  drawn.rows = shown.rows;
  drawn.flags = shown.flags;
  drawn.unknown = dialog.command.unknownValue();
  drawn.drawnUnknownShown = kind == ExerciseKind::Equation && promise.shape == Shape::Equation;
  return drawn;
}

TEST_F(Library, EveryExerciseKeepsItsPromiseInEveryDraw) {
  constexpr int kSolvedDraws = 8;  // the numerical search is slow: it checks the first draws
  for (const fs::path& file : files_) {
    ExerciseSet set(*store_);
    set.Open(file.u16string());
    ExerciseDialog dialog;
    dialog.command.setExerciseSet(&set, set.Kind());
    for (int n = 1; n <= set.count(); ++n) {
      const Promise* promise = promiseFor(file.stem().string(), set.Title(n - 1));
      if (!promise) continue;
      PromiseCheck check(*promise);
      for (int draw = 0; draw < kShippedDraws; ++draw) {
        const uint32_t seed = static_cast<uint32_t>(1000 * n + draw);
        const std::string where = file.stem().string() + ": " + promise->title + ", seed " + std::to_string(seed);
        dialog.source.seed(seed);
        dialog.solveEnabled = false;
        dialog.notifier.messages.clear();
        dialog.command.run(n);
        if (!dialog.notifier.messages.empty()) {
          ADD_FAILURE() << where << ": " << narrow(dialog.notifier.messages.front());
          break;
        }
        Drawn drawn = drawnBy(dialog, *promise, set.Kind());
        const std::vector<std::string> faults = check.faults(drawn);
        if (!faults.empty()) {
          ADD_FAILURE() << where << ": " << describe(drawn.grid) << ": " << faults.front();
          break;
        }
        if (set.Kind() == ExerciseKind::Equation2 && promise->shape == Shape::Equation && draw < kSolvedDraws) {
          RecordingSolutionDisplay display;
          EquationSolver solver(dialog.left, dialog.right);
          solver.solveEquation(drawn.grid.term(0), drawn.grid.term(1), display);
          EXPECT_EQ(solver.solutionCount(), static_cast<int>(check.solutions().size()))
              << where << ": " << describe(drawn.grid) << ": the solve command finds another number of solutions";
        }
      }
    }
  }
}

// A formula as the old files drew it, typed as in the dialog: "^" raises the next
// character, "[a/b]" is a fraction, "√{…}" a root.
Drawn typed(const std::u16string& formula) {
  FormulaGrid grid;
  Settings settings;
  RecordingNotifier notifier;
  RecordingSolutionDisplay display;
  FormulaEditor editor(grid, settings, notifier, display);
  bool inFraction = false;
  for (size_t i = 0; i < formula.size(); ++i) {
    const char16_t c = formula[i];
    if (c == u'[') {
      inFraction = true;
      editor.keyDown(EditorKey::Up);
    } else if (c == u'/' && inFraction) {
      editor.keyDown(EditorKey::Down);
      editor.keyDown(EditorKey::Down);
    } else if (c == u']') {
      inFraction = false;
      editor.keyDown(EditorKey::Down);
    } else if (c == u'√') {
      editor.pressButton(kButtonRoot);
      ++i;  // the brace
    } else if (c == u'}') {
      editor.keyDown(EditorKey::Right);
    } else {
      editor.typeCharacter(c);
    }
  }
  Drawn drawn;
  drawn.grid = grid;
  for (int row = 0; row < 3; ++row) {
    for (int column = 0; column < grid.length(); ++column) {
      drawn.rows[row] += grid.at(row, column) ? grid.at(row, column) : u' ';
      drawn.flags[row] += static_cast<char16_t>(grid.flags(row, column));
    }
  }
  return drawn;
}

// Draws of the files as they shipped before, each reproduced with `pendrix-cli
// exercise FILE N --seed S`, and the fault the check must find in it.
TEST(LibraryChecks, FindTheFaultsOfTheFilesAsTheyShippedBefore) {
  struct Case {
    const char16_t* drawn;  // as typed
    Promise promise;
    double unknown;  // the x the old exercise showed
    const char* fault;
  };
  const Case cases[] = {
      // Gleichungen mit Klammern, "x auf beiden Seiten", seeds 4 and 52; exercise 1, seed 3.
      {u"7(x+9)=7x+63", equation("", "", 1, kWhole, 999, 100), 8, "holds for every x"},
      {u"2(x+5)=2x+10", equation("", "", 1, kWhole, 999, 100), 2, "holds for every x"},
      {u"1(x+2)=11", equation("", "", 1, kWhole, 999, 100), 9, "a factor 1"},
      // Terme berechnen: "Teilen mit Probe" seed 23, "Verbindung der Grundrechenarten"
      // seed 21, "Dividieren ohne Rest" seed 26 with its blank behind the divisor.
      {u"213:99", value("", "", kWhole, 999, 9999), 0, "not whole"},
      {u"(27+20):29*2-9", value("", "", kWhole, 999, 9999), 0, "quotient inside the term is not whole"},
      {u"834:6 ", value("", "", kWhole, 999, 9999), 0, "a blank inside the formula"},
      // Bruchrechnung: "Gemischte Zahlen" seed 1, "Brüche addieren" seeds 2 and 3,
      // "Gleiche Nenner" seed 2, "Kürzen und addieren" seed 20.
      {u"8[6/9]+5[9/2]", value("", "", 0, 99, 99, 9), 0, "an improper mixed number"},
      {u"[3/3]+[7/4]", value("", "", 0, 99, 99, 9), 0, "a whole number"},
      {u"[4/7]+[6/2]", value("", "", 0, 99, 99, 9), 0, "a whole number"},
      {u"[3/75]+[7/75]", value("", "", 0, 99, 99, 9), 0, "a denominator above 9"},
      {u"[1/8]+[4/3]", value("", "", kReducible, 99, 99, 9), 0, "no fraction that can be reduced"},
      // Lineare Gleichungen, "Zahl links", seed 24.
      {u"41 =6x+5", equation("", "", 1, kWhole, 999, 100), 6, "a blank inside the formula"},
      // Potenzen und Wurzeln: "Quadratzahlen" seed 31, "Wurzeln addieren" seed 8.
      {u"(59)^2", value("", "", kWhole, 999, 9999), 0, "needless brackets"},
      {u"√{144}+√{9 }", value("", "", kWhole, 999, 9999), 0, "a blank inside the formula"},
      // Quadratische Gleichungen: "Faktor und x" seed 80; "ohne Zahl" and "allgemeine
      // Form", seed 1, are neither without a number nor in the form … = 0.
      {u"3x^2+4x=95", equation("", "", 2, kWhole, 999, 100), 5, "is not whole"},
      {u"x^2+9x=162", equation("", "", 2, kWhole | kZeroSolution, 999, 100), 9, "no solution 0"},
      {u"x^2+9x+8=30", equation("", "", 2, kWhole | kZeroRight, 999, 100), 2, "not of the form … = 0"},
  };
  for (const Case& c : cases) {
    Drawn drawn = typed(c.drawn);
    drawn.unknown = c.unknown;
    drawn.drawnUnknownShown = true;
    PromiseCheck check(c.promise);
    const std::vector<std::string> faults = check.faults(drawn);
    std::string all;
    for (const std::string& f : faults) all += f + "; ";
    EXPECT_NE(all.find(c.fault), std::string::npos) << narrow(c.drawn) << " gave: " << all;
  }
}

}  // namespace
}  // namespace pendrix
