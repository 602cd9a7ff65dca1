extends "res://tests/godot_test.gd"
## GDScript objects in a page of the game (register_object): a real res:// page reads and writes
## a property of every carried type, calls methods with arguments and gets their results, hears
## signals and property changes made in GDScript; an object freed while registered is dropped.

const PAGE := "res://game/tests/pages/bridge_page.html"


class Player extends Node:
	signal hurt(amount: int, by: String)
	signal moved(to: Vector3)

	var flag := true
	var count := 5
	var ratio := 0.5
	var label := "hi"
	var v2 := Vector2(1.5, 2.5)
	var v2i := Vector2i(1, 2)
	var v3 := Vector3(1, 2, 3)
	var v3i := Vector3i(4, 5, 6)
	var v4 := Vector4(1, 2, 3, 4)
	var v4i := Vector4i(7, 8, 9, 10)
	var tint := Color(1, 0.5, 0.25, 1)
	var list := [1, "two", 3.5, Vector2(1, 2)]
	var table := {"a": 1, "b": [true, null]}
	var packed := PackedInt32Array([3, 4])
	var loose = "free"
	var clamped := 0:
		set(value):
			clamped = clampi(value, 0, 10)
	var calls := []
	var _hidden := 1

	func add(a: int, b: int) -> int:
		calls.append([a, b, typeof(a), typeof(b)])
		return a + b

	func echo(value):
		return value

	func stretch(v: Vector3, factor: float) -> Vector3:
		return v * factor

	func paint(c: Color) -> Color:
		return c.inverted()


func run() -> void:
	var player := Player.new()
	add_child(player)
	var view := ClassDB.instantiate("WebView") as Control
	view.size = Vector2(640, 480)
	view.url = PAGE
	# Registered before the view exists: offered once it does.
	check(view.register_object("player", player), "an object registers")
	check(not view.register_object("a.b", player), "a name with a dot is refused")
	check(not view.register_object("nothing", null), "a null object is refused")
	check(view.get_registered_objects() == PackedStringArray(["player"]), "the registered names (got %s)" % [view.get_registered_objects()])
	var loaded := record_signal(view.load_finished)
	add_child(view)
	var result = await wait_recorded(loaded, 60)
	check(result != null and result[1], "the game's page loads (got %s)" % [result])
	var ready = await js(view, """new Promise(function (r) {
		function done() { r(Object.keys(godot).filter(function (k) { return k.indexOf("___") !== 0; }).join(",")); }
		if (window.godot && godot.player) done(); else window.addEventListener("godot.ready", done);
	})""", 60)
	check(ready == "player", "the page sees godot.player (got %s)" % [ready])

	# Reads: every carried type, as JSON values (compared as the page writes them in JSON).
	var read = await js(view, """(function () {
		var p = godot.player, out = {};
		["flag", "count", "ratio", "label", "v2", "v2i", "v3", "v3i", "v4", "v4i", "tint", "list", "table", "packed",
		 "loose", "clamped"].forEach(function (k) { out[k] = JSON.stringify(p[k].value); });
		out.members = Object.keys(p).filter(function (k) { return k.indexOf("___") !== 0; }).sort().join(",");
		return out;
	})()""")
	var expected := {"flag": "true", "count": "5", "ratio": "0.5", "label": "\"hi\"", "v2": "[1.5,2.5]", "v2i": "[1,2]",
		"v3": "[1,2,3]", "v3i": "[4,5,6]", "v4": "[1,2,3,4]", "v4i": "[7,8,9,10]", "tint": "[1,0.5,0.25,1]",
		"list": "[1,\"two\",3.5,[1,2]]", "table": "{\"a\":1,\"b\":[true,null]}", "packed": "[3,4]", "loose": "\"free\"",
		"clamped": "0",
		"members": "add,calls,clamped,count,echo,flag,hurt,label,list,loose,moved,packed,paint,ratio,returned,stretch,table,tint,v2,v2i,v3,v3i,v4,v4i"}
	check(read is Dictionary, "the page reads the properties (got %s)" % [read])
	if read is Dictionary:
		for key in expected:
			check(read.get(key) == expected[key], "the page reads %s as %s (got %s)" % [key, expected[key], read.get(key)])

	# Writes: made into each property's own type on the main thread.
	await js(view, """(function () {
		var p = godot.player;
		window.changes = [];
		["count", "v3", "table", "list", "clamped", "tint"].forEach(function (k) {
			p[k].on("changed", function (v) { window.changes.push([k, v]); });
		});
		p.flag.value = false; p.count.value = 9; p.ratio.value = 0.25; p.label.value = "bye";
		p.v2.value = [3, 4]; p.v2i.value = [-1, 7]; p.v3.value = [5, 6, 7]; p.v3i.value = [-1, 0, 1];
		p.v4.value = [0.5, 1.5, 2.5, 3.5]; p.v4i.value = [1, 2, 3, 4]; p.tint.value = [0, 1, 0, 0.5];
		p.list.value = [5, "x", [1, 2]]; p.table.value = {k: "v", n: 2.5}; p.packed.value = [7, 8, 9];
		p.loose.value = "still text"; p.clamped.value = 99;
		return true;
	})()""")
	var written := func() -> bool: return player.count == 9 and player.clamped == 10 and player.loose == "still text"
	check(await wait_until(written, 20), "the page's writes reach GDScript (count %s)" % [player.count])
	check(player.flag == false and is_equal_approx(player.ratio, 0.25) and player.label == "bye", "bool, float and text written (got %s %s %s)" % [player.flag, player.ratio, player.label])
	check(player.v2 == Vector2(3, 4) and player.v2i == Vector2i(-1, 7) and player.v3 == Vector3(5, 6, 7) and player.v3i == Vector3i(-1, 0, 1),
		"vectors written (got %s %s %s %s)" % [player.v2, player.v2i, player.v3, player.v3i])
	check(player.v4 == Vector4(0.5, 1.5, 2.5, 3.5) and player.v4i == Vector4i(1, 2, 3, 4), "4-vectors written (got %s %s)" % [player.v4, player.v4i])
	check(player.tint.is_equal_approx(Color(0, 1, 0, 0.5)), "a colour written as four numbers (got %s)" % [player.tint])
	check(player.list == [5, "x", [1, 2]], "an array written, whole numbers as int (got %s)" % [player.list])
	check(player.table == {"k": "v", "n": 2.5}, "a dictionary written (got %s)" % [player.table])
	check(player.packed == PackedInt32Array([7, 8, 9]), "a packed array written (got %s)" % [player.packed])

	# Changes made in GDScript (and by the setter) reach the page's "changed" listeners.
	player.count = 42
	player.v3 = Vector3(7, 8, 9)
	player.table["added"] = [1]
	player.list.append(6)
	var last := {}
	var all_heard := func() -> bool:
		last.changes = await js(view, "JSON.stringify(window.changes)")
		return str(last.changes).count("],[") >= 4
	check(await wait_until(all_heard, 20), "the page hears GDScript's changes (got %s)" % [last.get("changes")])
	for change in ["[\"clamped\",10]", "[\"count\",42]", "[\"v3\",[7,8,9]]", "[\"table\",{\"added\":[1],\"k\":\"v\",\"n\":2.5}]",
			"[\"list\",[5,\"x\",[1,2],6]]"]:
		check(str(last.get("changes")).contains(change), "the page hears %s (got %s)" % [change, last.get("changes")])

	# Signals emitted in GDScript, at once and deferred.
	await js(view, """(function () {
		window.heard = [];
		godot.player.hurt.connect(function (amount, by) { window.heard.push([amount, by]); });
		godot.player.moved.connect(function (to) { window.heard.push(["moved", to]); });
		return true;
	})()""")
	player.hurt.emit(3, "orc")
	player.moved.emit(Vector3(1, 2, 3))
	player.hurt.emit.call_deferred(4, "deferred")
	var three := func() -> bool:
		last.signals = await js(view, "JSON.stringify(window.heard)")
		return str(last.signals).count("],[") >= 2
	check(await wait_until(three, 20), "the page hears the signals (got %s)" % [last.get("signals")])
	check(str(last.get("signals")).begins_with("[[3,\"orc\"],[\"moved\",[1,2,3]]") and str(last.get("signals")).contains("[4,\"deferred\"]"),
		"the signals' arguments (got %s)" % [last.get("signals")])

	# Methods: arguments converted to the parameters' types, results through `returned`.
	var results = await js(view, """new Promise(function (resolve) {
		var got = [];
		godot.player.returned.connect(function (method, value) {
			got.push([method, value]);
			if (got.length === 4) resolve(JSON.stringify(got));
		});
		godot.player.add(2, 3);
		godot.player.echo({a: [1, 2], b: "c"});
		godot.player.stretch([1, 2, 3], 2);
		godot.player.paint([1, 0, 0, 1]);
	})""")
	check(results == "[[\"add\",5],[\"echo\",{\"a\":[1,2],\"b\":\"c\"}],[\"stretch\",[2,4,6]],[\"paint\",[0,1,1,1]]]",
		"the methods' results reach the page (got %s)" % [results])
	check(player.calls == [[2, 3, TYPE_INT, TYPE_INT]], "the arguments arrive as the parameters' types (got %s)" % [player.calls])

	# A native object without a script: its own class's members.
	var timer := Timer.new()
	timer.wait_time = 1.5
	add_child(timer)
	check(view.register_object("timer", timer), "a native object registers")
	var native = await js(view, """new Promise(function (resolve) {
		function use() {
			var t = godot.timer, before = t.wait_time.value;
			t.returned.connect(function (method, value) { resolve(JSON.stringify([before, method, value, typeof t.timeout.connect])); });
			t.wait_time.value = 2.5;
			t.is_stopped();
		}
		if (godot.timer) use(); else godot.objectRegistered("timer", use);
	})""")
	check(native == "[1.5,\"is_stopped\",true,\"function\"]", "the page reads, calls and listens to a native object (got %s)" % [native])
	check(await wait_until(func() -> bool: return is_equal_approx(timer.wait_time, 2.5), 10), "the page writes a native property (got %s)" % [timer.wait_time])
	view.unregister_object("timer")

	# An object freed while registered is dropped; the page hears it went.
	var temp := Player.new()
	check(view.register_object("temp", temp), "a second object registers")
	var arrived := func() -> bool: return await js(view, "!!(window.godot && godot.temp)") == true
	check(await wait_until(arrived, 20), "the page gets the second object")
	temp.free()
	var gone := func() -> bool: return await js(view, "typeof godot.temp") == "undefined"
	check(await wait_until(gone, 20), "a freed object leaves the page")
	check(view.get_registered_objects() == PackedStringArray(["player"]), "and the node's list (got %s)" % [view.get_registered_objects()])

	# Unregistered: gone from the page, its signals no longer relayed.
	view.unregister_object("player")
	var removed := func() -> bool: return await js(view, "typeof godot.player") == "undefined"
	check(await wait_until(removed, 20), "an unregistered object leaves the page")
	player.hurt.emit(5, "late")
	check(player.hurt.get_connections().is_empty(), "its signals are disconnected")

	# The node goes with objects still registered.
	view.register_object("player", player)
	await wait_frames(5)
	view.queue_free()
	await wait_frames(5)
	player.queue_free()
