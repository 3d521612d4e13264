#!/usr/bin/python3
"""Checks the Group Policy template: QuenvaleMemoryOptimizer.admx and its
en-US language file fit together, and each policy writes the value it should
where the program reads it.

    check_policy.py [--names] [ADMX [ADML]]

Without files it checks the two beside it. Exits 0 when they are sound, else 1
with one line per fault. With --names it then prints each registry value the
template writes, one "name kind" a line (kind: dword, string or multistring),
a number's lowest and highest or a string's choices after it, for the
program's tests to compare with the values the program reads.

What it checks, of what the Group Policy editor would otherwise only say when
an administrator opens the template: both files are well-formed and in the
policy definitions' namespace; names of policies, categories and support
definitions are unique, and so are element ids within a policy; every text and
presentation the template names is in the language file and the language file
holds nothing unused; categories and support definitions resolve, with nothing
of another template referred to; every presentation control names an element
of its policy, of a fitting kind, and every element has its one control; ranges,
defaults and enumerations are sound; and every value is written under the
program's key, each value by one policy only.
"""
import collections
import os
import re
import sys
import xml.etree.ElementTree as ET

NAMESPACE = "http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions"
KEY = r"SOFTWARE\Policies\Quenvale\Memory Optimizer"
HERE = os.path.dirname(os.path.abspath(__file__))
ADMX = os.path.join(HERE, "QuenvaleMemoryOptimizer.admx")
ADML = os.path.join(HERE, "en-US", "QuenvaleMemoryOptimizer.adml")

# What the editor takes when a decimal leaves out its range.
DEFAULT_MIN, DEFAULT_MAX = 0, 9999
REFERENCE = re.compile(r"^\$\((string|presentation)\.([^)]*)\)$")
# The presentation control that edits each kind of element.
CONTROLS = {
    "decimal": {"decimalTextBox"},
    "longDecimal": {"longDecimalTextBox"},
    "text": {"textBox", "comboBox"},
    "enum": {"dropdownList"},
    "boolean": {"checkBox"},
    "list": {"listBox"},
    "multiText": {"multiTextBox"},
}

# A registry value the template writes: its kind, and either its range
# (minimum and maximum) or the values allowed; for a multistring neither.
Value = collections.namedtuple("Value", "kind minimum maximum allowed")


class TemplateError(Exception):
    """A file that cannot be read as what it should be."""


def tag(name):
    return "{%s}%s" % (NAMESPACE, name)


def local(element):
    return element.tag.split("}", 1)[-1]


def load(path, root):
    try:
        tree = ET.parse(path)
    except OSError as error:
        raise TemplateError(f"{path}: cannot be read: {error.strerror}") from None
    except ET.ParseError as error:
        raise TemplateError(f"{path}: not well-formed XML: {error}") from None
    if tree.getroot().tag != tag(root):
        raise TemplateError(f"{path}: the root element is {tree.getroot().tag}, not {root} in {NAMESPACE}")
    return tree.getroot()


def number(element, attribute, default):
    text = element.get(attribute)
    if text is None:
        return default
    if not text.isdigit():
        raise TemplateError(f"{local(element)} {element.get('id')}: {attribute} \"{text}\" is not a whole number")
    return int(text)


def registry_value(holder):
    """The value a <value>, <enabledValue> or the like holds: a number, a
    text, or None for a value deleted."""
    children = list(holder) if holder is not None else []
    if len(children) != 1:
        return None
    child = children[0]
    if local(child) == "decimal":
        text = child.get("value", "")
        return int(text) if text.isdigit() else None
    if local(child) == "string":
        return child.text or ""
    return None


def policy_values(policy):
    """(value name, element or None for the policy's own value, Value) for
    each value the policy writes."""
    found = []
    if policy.get("valueName") is not None:
        states = [registry_value(policy.find(tag(s))) for s in ("enabledValue", "disabledValue")]
        kind = "string" if any(isinstance(v, str) for v in states) else "dword"
        found.append((policy.get("valueName"), None,
                      Value(kind, None, None, tuple(sorted({v for v in states if v is not None}, key=str)))))
    elements = policy.find(tag("elements"))
    for element in (elements if elements is not None else []):
        kind, name = local(element), element.get("valueName")
        if kind == "decimal":
            value = Value("string" if element.get("storeAsText") == "true" else "dword",
                          number(element, "minValue", DEFAULT_MIN), number(element, "maxValue", DEFAULT_MAX), None)
        elif kind == "longDecimal":
            value = Value("qword", number(element, "minValue", DEFAULT_MIN),
                          number(element, "maxValue", DEFAULT_MAX), None)
        elif kind == "enum":
            items = [registry_value(item.find(tag("value"))) for item in element.findall(tag("item"))]
            value = Value("string" if any(isinstance(v, str) for v in items) else "dword", None, None,
                          tuple(v for v in items if v is not None))
        elif kind == "boolean":
            states = [registry_value(element.find(tag(s))) for s in ("trueValue", "falseValue")]
            value = Value("dword", None, None, tuple(sorted(v for v in states if isinstance(v, int))))
        elif kind == "text":
            value = Value("expandstring" if element.get("expandable") == "true" else "string", None, None, None)
        elif kind == "multiText":
            value = Value("multistring", None, None, None)
        else:
            value = None  # a list, whose value names are not known here, or no element at all
        found.append((name, element, value))
    return found


def value_names(admx_path=ADMX):
    """name -> Value for each registry value the template writes."""
    root = load(admx_path, "policyDefinitions")
    return {name: value
            for policy in root.iter(tag("policy"))
            for name, _, value in policy_values(policy) if name and value}


def check(admx_path=ADMX, adml_path=ADML):
    """The faults found, one sentence each; empty when there are none."""
    faults = []
    try:
        admx = load(admx_path, "policyDefinitions")
        adml = load(adml_path, "policyDefinitionResources")
    except TemplateError as error:
        return [str(error)]
    admx_name, adml_name = os.path.basename(admx_path), os.path.basename(adml_path)

    def fault(where, text):
        faults.append(f"{where}: {text}")

    def unique(elements, attribute, what, where):
        seen = set()
        for element in elements:
            name = element.get(attribute)
            if not name:
                fault(where, f"a {what} without {attribute}")
            elif name in seen:
                fault(where, f"{what} {name} is defined twice")
            seen.add(name)
        return seen

    for root, name in ((admx, admx_name), (adml, adml_name)):
        for attribute in ("revision", "schemaVersion"):
            if not root.get(attribute):
                fault(name, f"the root element has no {attribute}")

    # Strings and presentations of the language file.
    string_table = adml.find(f"{tag('resources')}/{tag('stringTable')}")
    strings = unique(string_table if string_table is not None else [], "id", "string", adml_name)
    presentation_table = adml.find(f"{tag('resources')}/{tag('presentationTable')}")
    presentations = {p.get("id"): p for p in (presentation_table if presentation_table is not None else [])}
    unique(presentation_table if presentation_table is not None else [], "id", "presentation", adml_name)

    # The template's own namespace; a reference of another one points outside it.
    target = admx.find(f"{tag('policyNamespaces')}/{tag('target')}")
    prefix = target.get("prefix") if target is not None else None
    if target is None or not prefix or not target.get("namespace"):
        fault(admx_name, "policyNamespaces has no target with a prefix and a namespace")
    if admx.find(tag("resources")) is None or not admx.find(tag("resources")).get("minRequiredRevision"):
        fault(admx_name, "no resources element with minRequiredRevision")

    def own(reference):
        if ":" in reference:
            outside, _, reference = reference.partition(":")
            if outside != prefix:
                return None
        return reference

    parents = {child: parent for parent in admx.iter() for child in parent}

    def describe(element):
        """Where an element stands, as "policy Theme: enum Theme: item"."""
        steps = []
        while element is not None and element is not admx:
            if local(element) in ("policy", "category", "definition", "enum", "decimal", "item") or element.get("id"):
                steps.append(" ".join(filter(None, (local(element), element.get("name") or element.get("id")))))
            element = parents.get(element)
        return ": ".join(reversed(steps))

    # Every $(string.X) and $(presentation.X), wherever it stands.
    used_strings, used_presentations = set(), set()
    for element in admx.iter():
        for attribute, text in element.attrib.items():
            match = REFERENCE.match(text)
            if match:
                kind, name = match.groups()
                (used_strings if kind == "string" else used_presentations).add(name)
                table = strings if kind == "string" else presentations
                if name not in table:
                    fault(f"{admx_name}: {describe(element)}",
                          f"{attribute} refers to {text}, which {adml_name} does not define")
            elif attribute in ("displayName", "explainText", "presentation"):
                fault(f"{admx_name}: {describe(element)}",
                      f"{attribute} \"{text}\" is not a $(string.name) or $(presentation.name) reference")
    for name in sorted(strings - used_strings):
        fault(adml_name, f"string {name} is used by nothing in {admx_name}")
    for name in sorted(set(presentations) - used_presentations):
        fault(adml_name, f"presentation {name} is used by nothing in {admx_name}")

    categories = unique(admx.iter(tag("category")), "name", "category", admx_name)
    definitions = unique(admx.iter(tag("definition")), "name", "support definition", admx_name)
    unique(admx.iter(tag("policy")), "name", "policy", admx_name)

    def resolves(element, child, table, what, where):
        references = element.findall(tag(child))
        if not references and child == "supportedOn":
            fault(where, f"no {child}")
        for reference in references:
            name = own(reference.get("ref", ""))
            if name is None:
                fault(where, f"{child} {reference.get('ref')} is of another template; this one must stand alone")
            elif name not in table:
                fault(where, f"{child} {reference.get('ref')} names no {what} of {admx_name}")

    for category in admx.iter(tag("category")):
        resolves(category, "parentCategory", categories, "category", f"{admx_name}: category {category.get('name')}")

    writers = collections.defaultdict(list)
    for policy in admx.iter(tag("policy")):
        where = f"{admx_name}: policy {policy.get('name')}"
        if policy.get("class") != "Both":
            fault(where, f"class is {policy.get('class')}, not Both: the program reads the machine's and the "
                         "user's values")
        if policy.find(tag("parentCategory")) is None:
            fault(where, "no parentCategory")
        resolves(policy, "parentCategory", categories, "category", where)
        resolves(policy, "supportedOn", definitions, "support definition", where)
        for state in ("enabledList", "disabledList"):
            if policy.find(tag(state)) is not None:
                fault(where, f"{state} writes values beside the policy's own; keep to one value a policy")

        elements = policy.find(tag("elements"))
        elements = list(elements) if elements is not None else []
        ids = unique(elements, "id", "element", where)
        if policy.get("valueName") is not None:
            for state in ("enabledValue", "disabledValue"):
                if registry_value(policy.find(tag(state))) is None:
                    fault(where, f"{state} with one decimal or string is missing, so the editor writes a value "
                                 "the program may not take")
        elif not elements:
            fault(where, "writes no value: neither a valueName of its own nor elements")

        try:
            values = policy_values(policy)
        except TemplateError as error:
            fault(where, str(error))
            continue
        for name, element, value in values:
            what = f"{where}: {local(element)} {element.get('id')}" if element is not None else where
            key = (element.get("key") if element is not None else None) or policy.get("key")
            if not key:
                fault(what, f"no key: neither the element nor the policy names {KEY}")
            elif key.lower() != KEY.lower():
                fault(what, f"writes under {key}, where the program does not read; the key is {KEY}")
            if not name:
                fault(what, "no valueName")
                continue
            writers[name].append(policy.get("name"))
            if value is None:
                fault(what, "a list writes values of names not known in advance; the program reads fixed names"
                      if local(element) == "list" else "not an element the Group Policy editor knows")
                continue
            if value.minimum is not None and value.minimum > value.maximum:
                fault(what, f"minValue {value.minimum} is above maxValue {value.maximum}")
            if element is not None and local(element) == "enum":
                items = element.findall(tag("item"))
                if not items:
                    fault(what, "an enumeration without items")
                if len(value.allowed) != len(items):
                    fault(what, "an item whose value is not one decimal or string")
                elif len(set(value.allowed)) != len(value.allowed):
                    fault(what, "two items write the same value")
                if len({type(v) for v in value.allowed}) > 1:
                    fault(what, "items mix decimal and string values; the value has one type")

        # The policy's controls, in its presentation.
        reference = REFERENCE.match(policy.get("presentation", ""))
        if reference and reference.group(1) != "presentation":
            fault(where, f"presentation {policy.get('presentation')} names a string, not a presentation")
            reference = None
        if elements and not reference:
            fault(where, "has elements but no presentation to set them")
        presentation = presentations.get(reference.group(2)) if reference else None
        if presentation is None:
            continue
        by_id = {element.get("id"): element for element in elements}
        controlled = collections.Counter()
        for control in presentation:
            if control.get("refId") is None:
                continue
            shown = f"{adml_name}: presentation {presentation.get('id')}: {local(control)} {control.get('refId')}"
            element = by_id.get(control.get("refId"))
            if element is None:
                fault(shown, f"names no element of policy {policy.get('name')} "
                             f"(it has {', '.join(sorted(ids)) or 'none'})")
                continue
            controlled[control.get("refId")] += 1
            if local(control) not in CONTROLS.get(local(element), set()):
                fault(shown, f"cannot edit the {local(element)} element {control.get('refId')}")
                continue
            try:
                if local(control) == "decimalTextBox" and control.get("defaultValue") is not None:
                    low = number(element, "minValue", DEFAULT_MIN)
                    high = number(element, "maxValue", DEFAULT_MAX)
                    if not low <= number(control, "defaultValue", 0) <= high:
                        fault(shown, f"defaultValue {control.get('defaultValue')} is outside {low}..{high}")
                if local(control) == "dropdownList" and control.get("defaultItem") is not None:
                    if number(control, "defaultItem", 0) >= len(element.findall(tag("item"))):
                        fault(shown, f"defaultItem {control.get('defaultItem')} is past the last item")
            except TemplateError as error:
                fault(shown, str(error))
        for element_id in sorted(ids):
            if controlled[element_id] != 1:
                fault(f"{adml_name}: presentation {presentation.get('id')}",
                      f"{controlled[element_id] or 'no'} controls for element {element_id} of policy "
                      f"{policy.get('name')}; it needs one")

    for name, policies in sorted(writers.items()):
        if len(policies) > 1:
            fault(admx_name, f"value {name} is written by {len(policies)} policies ({', '.join(policies)}); "
                             "one policy a value")
    return faults


def main(arguments):
    names = "--names" in arguments
    files = [a for a in arguments if a != "--names"]
    if len(files) > 2 or any(a.startswith("-") for a in files):
        print(__doc__.split("\n\n")[1], file=sys.stderr)
        return 2
    admx_path = files[0] if files else ADMX
    adml_path = files[1] if len(files) > 1 else (
        os.path.join(os.path.dirname(admx_path), "en-US", os.path.splitext(os.path.basename(admx_path))[0] + ".adml"))
    faults = check(admx_path, adml_path)
    for text in faults:
        print(f"check_policy: {text}", file=sys.stderr)
    if faults:
        print(f"check_policy: {len(faults)} fault(s) in the Group Policy template", file=sys.stderr)
        return 1
    if names:
        # One line a value: its name and kind, for a number the lowest and
        # highest the template lets an administrator write, for a choice of
        # strings those strings with a comma between them.
        for name, value in sorted(value_names(admx_path).items()):
            if value.kind == "dword":
                lowest = value.minimum if value.allowed is None else min(value.allowed)
                highest = value.maximum if value.allowed is None else max(value.allowed)
                print(name, value.kind, lowest, highest)
            elif value.allowed is not None:
                print(name, value.kind, ",".join(value.allowed))
            else:
                print(name, value.kind)
    else:
        print(f"check_policy: {admx_path} and {adml_path} are sound, "
              f"{len(value_names(admx_path))} values under {KEY}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
