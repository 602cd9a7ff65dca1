extends "res://tests/godot_test.gd"
## A page from the test HTTP server on a WebView: the loading signals in order, the title, the
## page's pixels in Godot's window, and scripts with their results.

const PAGE_COLOUR := Color("#3366cc")


func run() -> void:
	var view := ClassDB.instantiate("WebView") as Control
	view.size = Vector2(640, 480)
	var url: String = arguments.get("server", "") + "/colour.html"
	var seen: Array[String] = []
	view.load_started.connect(func(u: String) -> void: seen.append("load_started " + u))
	view.url_changed.connect(func(u: String) -> void: seen.append("url_changed " + u))
	view.load_finished.connect(func(u: String, ok: bool, _code: int, _text: String, _domain: String) -> void:
		seen.append("load_finished %s %s" % [u, ok]))
	view.url = url
	add_child(view)

	var title = await wait_signal(view.title_changed, 60)
	check(title != null and title[0] == "Colour page", "title_changed gives the page's title (got %s)" % [title])
	check(seen == ["load_started " + url, "load_finished %s true" % url],
		"load_started and load_finished in order, and no url_changed for the address set (got %s)" % [seen])
	check(view.url == url and view.title == "Colour page", "url and title properties follow the page")
	await expect_pixel(320, 240, PAGE_COLOUR, "the page's background")

	var answers := {}
	view.javascript_finished.connect(func(id: int, result: Variant, error: String) -> void:
		answers[id] = [result, error])
	var sum: int = view.run_javascript("document.title + ':' + (1 + 2)")
	var quoted: int = view.run_javascript("var quoted = 'a\"b';\nquoted.length + '\u2028'.length")
	var thrown: int = view.run_javascript("throw new Error('boom')")
	var promised: int = view.run_javascript("new Promise(r => setTimeout(() => r({n: 7}), 50))")
	check(await wait_until(func() -> bool: return answers.size() == 4, 20), "four script results arrive (got %s)" % [answers])
	check(answers.get(sum) == ["Colour page:3", ""], "a script's value comes back (got %s)" % [answers.get(sum)])
	check(answers.get(quoted) == [4.0, ""], "quotes, line breaks and separators reach the page intact (got %s)" % [answers.get(quoted)])
	check(answers.has(thrown) and answers[thrown][0] == null and "boom" in answers[thrown][1],
		"a thrown error comes back as the error (got %s)" % [answers.get(thrown)])
	check(answers.get(promised) == [{"n": 7.0}, ""], "a promise is awaited (got %s)" % [answers.get(promised)])

	view.run_javascript("document.title = 'Renamed'")
	title = await wait_signal(view.title_changed, 20)
	check(title != null and title[0] == "Renamed", "a title the page sets later arrives (got %s)" % [title])

	# A navigation of the page's own: the new address, then its loading.
	seen.clear()
	var next := url + "?next"
	view.run_javascript("location.href = '%s'" % next)
	await wait_signal(view.load_finished, 30)
	check(seen == ["url_changed " + next, "load_started " + next, "load_finished %s true" % next],
		"a navigation of the page's own reports the address and its loading, in order (got %s)" % [seen])
	check(view.url == next, "url follows the page (it is %s)" % view.url)
