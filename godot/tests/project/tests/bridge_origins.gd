extends "res://tests/godot_test.gd"
## Which pages reach the game's objects: by default only the game's own res:// pages. A page of
## the test HTTP server (another origin) that looks for the objects, and speaks to the page's web
## channel directly to read, write, call and listen, finds nothing; after a navigation from an
## allowed page to it and back, the game's page has its objects again; widening
## bridge_allowed_origins lets it in.

const PAGE := "res://game/tests/pages/bridge_page.html"


class Game extends RefCounted:
	signal ping(n: int)
	var secret := "s3cret"
	var took := 0

	func take() -> int:
		took += 1
		return took


## What the page reaches once the bridge had time to connect: the bridge's objects (or "null")
## and the objects its own channel found.
func reach(view: Control) -> String:
	return str(await js(view, """new Promise(function (resolve) {
		setTimeout(function () {
			var bridge = window.godot ? Object.keys(godot).filter(function (k) { return k.indexOf("___") !== 0; }).join(",") : "null";
			var raw = window.report ? window.report.raw : "-";
			resolve(bridge + " " + raw);
		}, 2500);
	})"""))


func load_page(view: Control, url: String) -> bool:
	var loaded := record_signal(view.load_finished)
	view.url = url
	var result = await wait_recorded(loaded, 60)
	return result != null and result[1]


func run() -> void:
	var game := Game.new()
	var pings := []
	var view := ClassDB.instantiate("WebView") as Control
	view.size = Vector2(640, 480)
	check(view.bridge_allowed_origins == PackedStringArray(["res://"]), "only the game's pages by default (got %s)" % [view.bridge_allowed_origins])
	view.register_object("game", game)
	add_child(view)
	var refused: String = arguments.server + "/bridge_refused.html"

	# A refused page first.
	check(await load_page(view, refused), "the other site's page loads")
	var seen := await reach(view)
	check(seen == "null empty", "the other site finds no object, through the bridge or the channel (got %s)" % [seen])

	# The game's page reaches the object.
	check(await load_page(view, PAGE), "the game's page loads")
	check(await reach(view) == "game -", "the game's page has godot.game")
	check(str(await js(view, "new Promise(function (r) { godot.game.returned.connect(function (m, v) { r(m + ' ' + v); }); godot.game.take(); })")) == "take 1",
		"the game's page calls the object")

	# Following a link to the other site: nothing reaches the object from there.
	view.run_javascript("location.href = %s;" % JSON.stringify(refused))
	var arrived := func() -> bool: return view.url == refused
	check(await wait_until(arrived, 30), "the link is followed (at %s)" % [view.url])
	seen = await reach(view)
	check(seen == "null empty", "after the navigation the other site finds nothing (got %s)" % [seen])
	await js(view, "report.tried = true; (function () { var t = qt.webChannelTransport; t.send(JSON.stringify({type: 6, object: 'game', method: '___invoke_method', args: ['take', []], id: 5})); })(); true")
	game.ping.emit(1)
	await wait_frames(30)
	check(game.took == 1 and game.secret == "s3cret", "its reads, writes and calls reach nothing (took %d, secret %s)" % [game.took, game.secret])

	# Back to the game's page (sent there by the game): its objects are there again.
	check(await load_page(view, PAGE), "back on the game's page")
	seen = await reach(view)
	check(seen == "game -", "the game's page has godot.game again (got %s)" % [seen])
	check(str(await js(view, "new Promise(function (r) { godot.game.returned.connect(function (m, v) { r(m + ' ' + v); }); godot.game.take(); })")) == "take 2",
		"and calls it again")

	# Widened to the test server's origin, the other site reaches it too.
	view.bridge_allowed_origins = PackedStringArray(["res://", arguments.server])
	check(await load_page(view, refused), "the other site's page loads again")
	seen = await reach(view)
	check(seen == "game bridge", "an allowed origin reaches the object (got %s)" % [seen])
	view.queue_free()
