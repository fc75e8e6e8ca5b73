#!/usr/bin/env python3
"""Tests for check_locales.py: the shipped set passes, seeded faults are caught, tinyxml2 reads the same strings.

Run: python3 -m unittest discover -s resources/locale -p 'test_*.py'
"""
import re
import shutil
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path
from unittest import mock

HERE = Path(__file__).resolve().parent
REPO = HERE.parent.parent
sys.path.insert(0, str(HERE))
import check_locales  # noqa: E402

DOCUMENT_FILES = sorted({name for name, _, _ in check_locales.LANGUAGE_DOCUMENTS.values()})
EULA = re.compile(r"<LICENSE_EULA>.*</LICENSE_EULA>", re.S)

# (what is broken, file, [(old, new), ...] or a function of the text, fragment the report must contain)
FAULTS = [
    ("empty string", "isv_en_US.xml", [("<BUTTON_NEXT>Next<", "<BUTTON_NEXT><")], "BUTTON_NEXT: empty"),
    ("missing key", "dlm_de.xml", [("<SDK_LINK>SDK-Lizenz</SDK_LINK>", "")], "missing keys: SDK_LINK"),
    ("key the Spanish installer must not have", "isv_es.xml",
     [("</Locale>", "<BUTTON_BACK>Atrás</BUTTON_BACK></Locale>")], "unexpected keys: BUTTON_BACK"),
    ("unknown reference", "dlm_fr.xml", [('cliquez sur "{BUTTON_NEXT}"', 'cliquez sur "{BUTTON_SUIVANT}"')],
     "unknown key {BUTTON_SUIVANT}"),
    ("malformed reference", "dlm_cs.xml", [('klikněte na "{BUTTON_NEXT}"', 'klikněte na "{BUTTON_NEXT"')],
     "stray brace"),
    ("reference cycle", "dlm_it.xml",
     [("<BUTTON_CLOSE>Chiudi<", "<BUTTON_CLOSE>{PAGE_DOWNLOAD_ERROR_TITLE}<"),
      ("Errore durante il download", "Errore: {BUTTON_CLOSE}")], "reference cycle"),
    ("self reference", "dlm_nl.xml", [("<BUTTON_NEXT>Volgende<", "<BUTTON_NEXT>{BUTTON_NEXT}<")],
     "reference cycle: BUTTON_NEXT -> BUTTON_NEXT"),
    ("dropped placeholder", "dlm_ru.xml", [('установить "[PACKAGE_NAME]"', 'установить пакет')],
     "PRODUCT_DISCLAIMER: references, placeholders or links differ"),
    ("dropped link", "dlm_tr.xml",
     [('&lt;a href="[PACKAGE_PRIVACY_URL]"&gt;{PRIVACY_LINK}&lt;/a&gt;', "{PRIVACY_LINK}")],
     "PRODUCT_DISCLAIMER: references, placeholders or links differ"),
    ("link markup left unescaped", "dlm_nl.xml",
     [('&lt;a href="[PACKAGE_EULA_URL]"&gt;{TOS_LINK}&lt;/a&gt;', '<a href="[PACKAGE_EULA_URL]">{TOS_LINK}</a>')],
     "PRODUCT_DISCLAIMER: contains child elements"),
    ("not well-formed", "dlm_fi.xml", [("</Locale>", "")], "cannot parse"),
    ("English wording changed", "isv_en_US.xml", [(">Welcome to<", ">Welcome To<")],
     "WELCOME_TITLE: English text differs"),
    ("English of the download build changed", "dlm_en_US.xml", [("sit back and relax", "please wait")],
     "PROGRESS_DESC: English text differs"),
    ("raw line break", "isv_en_US.xml", [("Thank you.&#13;&#10;Your", "Thank you.\nYour")],
     "PAGE_FINISH_TITLE: line break not written as &#13;&#10;"),
    ("wrong locale name", "dlm_da.xml", [('<Locale name="da">', '<Locale name="dk">')], 'Locale name is "dk"'),
    ("missing declaration", "dlm_tr.xml", [('<?xml version="1.0" encoding="utf-8"?>\n', "")], "does not start with"),
    ("button text too long", "dlm_de.xml", [(">Weiter<", ">Weiter zum nächsten Schritt<")],
     "BUTTON_NEXT: 27 characters"),
    ("title too long for its line", "dlm_pt_BR.xml",
     [(">Bem-vindo ao<", ">Boas-vindas ao assistente de download do<")],
     "WELCOME_TITLE: needs about 2 lines"),
    ("license link placeholder lost", "branded.xml", [("[LICENSE_TOS_URL]", "[TOS_URL]")],
     "no link to [LICENSE_TOS_URL]"),
    ("address outside .example", "branded.xml",
     [("https://www.kelvane.example/legal.", "https://www.kelvane.test/legal.")],
     "address www.kelvane.test is not under the reserved .example domain"),
    ("unknown reference in branded text", "branded.xml", [("Welcome to {PRODUCT_TITLE}", "Welcome to {PRODUCT_NAME}")],
     "unknown key {PRODUCT_NAME}"),
    ("heritage link lost in translation", "heritage_es.xml",
     [('&lt;a href="https://www.kelvane.example/bramble-web/recommended-settings"&gt;configuración recomendada de'
       ' Kelvane&lt;/a&gt;', "configuración recomendada de Kelvane")],
     "WARNING_TEXT: references, placeholders or links differ"),
    ("reference to a key the Spanish installer lacks", "heritage_es.xml",
     [("<OPTIONS_TITLE>Opciones de instalación<", "<OPTIONS_TITLE>{BUTTON_BACK}<")], "unknown key {BUTTON_BACK}"),
    ("heritage check box too long", "heritage_es.xml",
     [(">Crear icono en el escritorio<", ">Crear un acceso directo en el escritorio<")],
     "OPTIONS_CHECK_1: needs about 2 lines"),
    ("EULA too short", "branded.xml", lambda text: EULA.sub("<LICENSE_EULA>Use it as you like.</LICENSE_EULA>", text),
     "LICENSE_EULA: 19 characters"),
]


def apply_fault(path, change):
    text = path.read_text(encoding="utf-8")
    if callable(change):
        changed = change(text)
    else:
        changed = text
        for old, new in change:
            assert changed.count(old) == 1, f"{old!r} must occur exactly once in {path.name}"
            changed = changed.replace(old, new)
    assert changed != text
    path.write_text(changed, encoding="utf-8")


def run_checker(directory):
    return subprocess.run([sys.executable, str(HERE / "check_locales.py"), str(directory)],
                          capture_output=True, text=True, timeout=60)


class LocaleCheckTest(unittest.TestCase):
    def setUp(self):
        self.scratch = tempfile.TemporaryDirectory()
        self.addCleanup(self.scratch.cleanup)
        self.copy = Path(self.scratch.name) / "locale"
        shutil.copytree(HERE, self.copy, ignore=shutil.ignore_patterns("*.py", "*.cpp", "__pycache__"))

    def test_shipped_documents_pass(self):
        result = run_checker(HERE)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        self.assertIn("all locale documents ok", result.stdout)

    def test_seeded_faults_are_reported(self):
        for what, file_name, change, expected in FAULTS:
            with self.subTest(what):
                shutil.rmtree(self.copy)
                shutil.copytree(HERE, self.copy, ignore=shutil.ignore_patterns("*.py", "*.cpp", "__pycache__"))
                apply_fault(self.copy / file_name, change)
                result = run_checker(self.copy)
                self.assertEqual(result.returncode, 1, result.stdout)
                self.assertIn(expected, result.stdout)

    def test_resources_108_and_116_must_stay_identical(self):
        polish = self.copy / check_locales.LANGUAGE_DOCUMENTS[108][0]
        twin = self.copy / "dlm_pl_twin.xml"
        entry = {116: ("dlm_pl_twin.xml", "pl", 105)}
        with mock.patch.dict(check_locales.LANGUAGE_DOCUMENTS, entry):
            shutil.copyfile(polish, twin)
            report, total = check_locales.check_directory(self.copy)
            self.assertEqual(total, 0, "\n".join(report))
            twin.write_text(polish.read_text(encoding="utf-8").replace(">Dalej<", ">Dalej »<"), encoding="utf-8")
            report, total = check_locales.check_directory(self.copy)
            self.assertEqual(total, 1, "\n".join(report))
            self.assertIn("108 and 116 must be byte-identical", "\n".join(report))

    def test_line_estimate(self):
        cases = [("fits exactly", "aaaa bbbb", 9, 1), ("wraps at a word", "aaaa bbbb", 8, 2),
                 ("explicit break", "a\r\nb", 80, 2), ("leading break", "\r\nab", 80, 2),
                 ("word longer than a line", "abcdefghij xy", 4, 4)]
        for what, text, width, lines in cases:
            with self.subTest(what):
                self.assertEqual(check_locales.wrapped_line_count(text, width), lines)


def parse_dump(output):
    return dict(line.split("\t", 1) for line in output.splitlines())


def escape_like_dump(text):
    return text.replace("\\", "\\\\").replace("\r", "\\r").replace("\n", "\\n").replace("\t", "\\t")


class TinyXml2AgreementTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        sources = sorted(REPO.glob("third_party/tinyxml2/tinyxml2-*/tinyxml2.cpp"))
        compiler = shutil.which("g++")
        if not sources or not compiler:
            raise unittest.SkipTest("needs g++ and the tinyxml2 source under third_party/")
        cls.build = tempfile.TemporaryDirectory()
        cls.dump = Path(cls.build.name) / "dump_with_tinyxml2"
        subprocess.run([compiler, "-O1", "-I", str(sources[0].parent), str(HERE / "dump_with_tinyxml2.cpp"),
                        str(sources[0]), "-o", str(cls.dump)], check=True, timeout=300)

    @classmethod
    def tearDownClass(cls):
        cls.build.cleanup()

    def test_tinyxml2_reads_what_the_checker_read(self):
        for file_name in DOCUMENT_FILES + [check_locales.BRANDED_FILE]:
            with self.subTest(file_name):
                result = subprocess.run([str(self.dump), str(HERE / file_name)], capture_output=True, text=True,
                                        timeout=30)
                self.assertEqual(result.returncode, 0, result.stderr)
                seen_by_tinyxml2 = parse_dump(result.stdout)
                if file_name == check_locales.BRANDED_FILE:
                    root = check_locales.parse_branded_document(HERE / file_name)
                else:
                    root = check_locales.parse_language_document(HERE / file_name)
                    self.assertEqual(seen_by_tinyxml2.pop("@name"), root.get("name"))
                expected = {key: escape_like_dump(text) for key, text in check_locales.read_strings(root, []).items()}
                self.assertEqual(seen_by_tinyxml2, expected)


if __name__ == "__main__":
    unittest.main()
