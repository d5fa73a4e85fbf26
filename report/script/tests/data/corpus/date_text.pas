function F: DateTime;
var x: Double;
begin
  x := 45000.75;
  Result := x;
  Result := Result + 2;
end;
