extends Node
## Runs the one test named on the command line and quits with its result (0 passed, 1 failed):
##   godot --path <project> -- --test=res://tests/<name>.gd [--server=<http://host:port>]


func _ready() -> void:
	var arguments := {}
	for argument in OS.get_cmdline_user_args():
		if argument.begins_with("--") and "=" in argument:
			var parts := argument.substr(2).split("=", true, 1)
			arguments[parts[0]] = parts[1]
	var script: Script = load(arguments.get("test", "")) if arguments.has("test") else null
	if script == null or not script.can_instantiate():
		print("TEST FAILED: no test script given (--test=res://tests/<name>.gd), or it does not load")
		get_tree().quit(1)
		return
	var test: Node = script.new()
	test.arguments = arguments
	add_child(test)
