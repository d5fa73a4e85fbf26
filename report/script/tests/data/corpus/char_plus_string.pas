function F: String;
var c: Char;
begin
  c := 'abc';
  Result := c + 'bcd';
  Result := Result + '|' + 'bcd' + c;
end;
