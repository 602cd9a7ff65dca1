extends "res://tests/godot_test.gd"
## The class reference handed to the editor's help describes exactly what the extension
## registers: every class of the extension has a file, and every method (bar the properties'
## setters and getters), property, signal and constant of a class is documented there with a
## description, its arguments named as registered, and nothing documented that does not exist.

const REFERENCE_DIR := "res://class_reference"
const PROPERTY_USAGE_GROUPS := PROPERTY_USAGE_GROUP | PROPERTY_USAGE_SUBGROUP | PROPERTY_USAGE_CATEGORY


func run() -> void:
	var documented := {}
	for file in DirAccess.get_files_at(REFERENCE_DIR):
		if file.ends_with(".xml"):
			var doc := _read_class(REFERENCE_DIR.path_join(file))
			if check(not doc.is_empty(), "%s is a class reference file" % file):
				documented[doc.name] = doc
	check(documented.size() >= 3, "the class reference has the node classes (found %s)" % [documented.keys()])

	for cls in ClassDB.get_class_list():
		if ClassDB.class_get_api_type(cls) == ClassDB.API_EXTENSION:
			check(documented.has(cls), "the extension's class %s has a class reference file" % cls)
	for cls in documented:
		if check(ClassDB.class_exists(cls), "the documented class %s is registered" % cls):
			_compare(cls, documented[cls])


func _compare(cls: String, doc: Dictionary) -> void:
	check(doc.inherits == ClassDB.get_parent_class(cls),
			"%s inherits %s as documented (%s)" % [cls, ClassDB.get_parent_class(cls), doc.inherits])
	check(not doc.brief.is_empty() and not doc.description.is_empty(), "%s has a brief description and a description" % cls)

	var accessors := {}
	var properties := {}
	for property in ClassDB.class_get_property_list(cls, true):
		if property.usage & PROPERTY_USAGE_GROUPS:
			continue
		properties[property.name] = true
		accessors[ClassDB.class_get_property_setter(cls, property.name)] = true
		accessors[ClassDB.class_get_property_getter(cls, property.name)] = true
	var methods := {}
	for method in ClassDB.class_get_method_list(cls, true):
		if not accessors.has(method.name) and not method.name.begins_with("_"):
			methods[method.name] = method.args.map(func(arg: Dictionary) -> String: return arg.name)
	var signals := {}
	for sig in ClassDB.class_get_signal_list(cls, true):
		signals[sig.name] = sig.args.map(func(arg: Dictionary) -> String: return arg.name)
	var constants := {}
	for constant in ClassDB.class_get_integer_constant_list(cls, true):
		constants[constant] = ClassDB.class_get_integer_constant(cls, constant)

	_compare_names(cls, "method", methods, doc.methods)
	_compare_names(cls, "property", properties, doc.members)
	_compare_names(cls, "signal", signals, doc.signals)
	_compare_names(cls, "constant", constants, doc.constants)
	for name in methods:
		if doc.methods.has(name):
			check(methods[name] == doc.methods[name].params,
					"%s.%s() takes %s as documented (%s)" % [cls, name, methods[name], doc.methods[name].params])
	for name in signals:
		if doc.signals.has(name):
			check(signals[name] == doc.signals[name].params,
					"%s's signal %s carries %s as documented (%s)" % [cls, name, signals[name], doc.signals[name].params])
	for name in constants:
		if doc.constants.has(name):
			check(str(constants[name]) == doc.constants[name].value,
					"%s.%s is %d as documented (%s)" % [cls, name, constants[name], doc.constants[name].value])
	for name in properties:
		if doc.members.has(name):
			var member: Dictionary = doc.members[name]
			check(member.getter == ClassDB.class_get_property_getter(cls, name) and
					member.setter == ClassDB.class_get_property_setter(cls, name),
					"%s.%s's setter and getter are documented as registered" % [cls, name])


func _compare_names(cls: String, kind: String, registered: Dictionary, documented: Dictionary) -> void:
	for name in registered:
		if check(documented.has(name), "%s's %s %s is documented" % [cls, kind, name]):
			check(not documented[name].description.is_empty(), "%s's %s %s has a description" % [cls, kind, name])
	for name in documented:
		check(registered.has(name), "%s's documented %s %s exists" % [cls, kind, name])


## A class file as {name, inherits, brief, description, methods, members, signals, constants}; the
## last four map names to {description, params} (members: setter and getter, constants: value).
func _read_class(path: String) -> Dictionary:
	var parser := XMLParser.new()
	if parser.open(path) != OK:
		return {}
	var doc := {"methods": {}, "members": {}, "signals": {}, "constants": {}, "brief": "", "description": ""}
	var entry = null  # the method, member, signal or constant being read
	var text_target := ""  # where the next text goes: "brief", "description" or ""
	while parser.read() == OK:
		match parser.get_node_type():
			XMLParser.NODE_ELEMENT:
				var tag := parser.get_node_name()
				match tag:
					"class":
						doc.name = parser.get_named_attribute_value_safe("name")
						doc.inherits = parser.get_named_attribute_value_safe("inherits")
					"brief_description":
						text_target = "brief"
					"description":
						text_target = "description"
					"method", "signal", "member", "constant":
						entry = {"description": "", "params": [],
								"setter": parser.get_named_attribute_value_safe("setter"),
								"getter": parser.get_named_attribute_value_safe("getter"),
								"value": parser.get_named_attribute_value_safe("value")}
						var section: String = {"method": "methods", "signal": "signals", "member": "members", "constant": "constants"}[tag]
						doc[section][parser.get_named_attribute_value_safe("name")] = entry
						# A member's and a constant's text is their description.
						text_target = "description" if tag in ["member", "constant"] else ""
					"param":
						if entry != null:
							entry.params.append(parser.get_named_attribute_value_safe("name"))
			XMLParser.NODE_TEXT:
				var text := parser.get_node_data().strip_edges()
				if text.is_empty() or text_target.is_empty():
					continue
				if entry != null:
					entry.description += text
				else:
					doc[text_target] += text
			XMLParser.NODE_ELEMENT_END:
				match parser.get_node_name():
					"method", "signal", "member", "constant":
						entry = null
						text_target = ""
					"brief_description", "description":
						text_target = ""
	return doc if doc.has("name") else {}
