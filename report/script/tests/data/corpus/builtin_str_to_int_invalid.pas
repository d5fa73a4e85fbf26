function F: Integer;
begin
  Result := StrToInt('12x');
end;
